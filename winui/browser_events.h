// The browser control's events as the program uses them: decoded once from the control's
// dispatch arguments, by their DISPID_* names, into typed callbacks.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "base/text.h"

namespace tessel {

// What an event carries that the program reads: the URL of BeforeNavigate2, DocumentComplete
// and NavigateError (empty for DownloadComplete), NewWindow3's the address to open; the frame
// of NavigateError and its status (the number of WindowSetLeft/Top/Width/Height); the Cancel
// of BeforeNavigate2, NavigateError, WindowClosing and NewWindow3. Pointers are valid during
// the call only.
struct BrowserEvent {
    WideString url;
    IDispatch* frame = nullptr;
    long status = 0;
    VARIANT_BOOL* cancel = nullptr;
    IDispatch** window = nullptr;  // NewWindow3: where the new window's control goes
};

// Implemented by whoever sinks a browser control's events (the dialog, a popup): its
// event-sink map names, for each event of each control it takes, the member that handles it.
// Adding an event is a decode case and a map line.
class BrowserEvents {
public:
    using Handler = void (BrowserEvents::*)(const BrowserEvent&);
    struct EventSinkEntry {
        UINT controlId;  // 0 ends the map
        DISPID dispid;   // DISPID_* of the control's event interface
        Handler handler;
    };
    // A derived sink's member as a map entry, as ModalDialog::On is for messages.
    template <typename Sink>
    static constexpr EventSinkEntry On(UINT controlId, DISPID dispid, void (Sink::*handler)(const BrowserEvent&)) {
        return {controlId, dispid, static_cast<Handler>(handler)};
    }

    // Controls report their events here: decoded once, then routed by the sink map.
    void FireControlEvent(UINT controlId, DISPID dispid, const DISPPARAMS& params);
    // The control's site reports here that the control's downloads have settled (its
    // download-state command, its status reports): the sink checks for a result as on
    // DownloadComplete. Windows' control sends all three; Wine's only the status reports.
    virtual void OnDownloadsSettled(UINT controlId) { (void)controlId; }
    // The HTTP layer's security problem with one of the control's requests (a certificate it
    // cannot trust, a crossing between http and https), asked of the host through the site:
    // true refuses it, and the request fails with a navigation error; false leaves it to the
    // control, whose prompt, if any, our window owns.
    virtual bool RefusesSecurityProblem(UINT controlId, unsigned long problem) {
        (void)controlId;
        (void)problem;
        return false;
    }

protected:
    ~BrowserEvents() = default;
    virtual const EventSinkEntry* GetEventSinkMap() const { return nullptr; }
};

// DWebBrowserEvents2 arguments (they arrive in reverse order) into an event.
BrowserEvent DecodeBrowserEvent(DISPID dispid, const DISPPARAMS& params);

}  // namespace tessel
