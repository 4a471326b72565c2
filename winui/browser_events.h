// The browser control's events as the program uses them: decoded once from the control's
// dispatch arguments, by their DISPID_* names, into typed callbacks.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "base/text.h"

namespace tessel {

// What an event carries that the program reads: the URL of BeforeNavigate2, DocumentComplete
// and NavigateError (empty for DownloadComplete), NewWindow3's the address to open; the frame
// of NavigateError and its status; the Cancel of BeforeNavigate2, NavigateError, WindowClosing
// and NewWindow3. Pointers are valid during
// the call only.
struct BrowserEvent {
    WideString url;
    IDispatch* frame = nullptr;
    long status = 0;
    VARIANT_BOOL* cancel = nullptr;
    IDispatch** window = nullptr;  // NewWindow3: where the new window's control goes
    // The event as it can be kept for later: without the pointers.
    BrowserEvent Kept() const { return {url, nullptr, status, nullptr, nullptr}; }
};

// Implemented by whoever sinks a browser control's events (the dialog): its event-sink map
// says which of them it takes from which control.
class BrowserEvents {
public:
    using Handler = void (BrowserEvents::*)(const BrowserEvent&);
    struct EventSinkEntry {
        UINT controlId;  // 0 ends the map
        DISPID dispid;   // DISPID_* of the control's event interface
        Handler handler;
    };

    virtual void OnBeforeNavigate2(const BrowserEvent&) {}
    virtual void OnDownloadComplete(const BrowserEvent&) {}
    virtual void OnDocumentComplete(const BrowserEvent&) {}
    virtual void OnNavigateError(const BrowserEvent&) {}
    virtual void OnWindowClosing(const BrowserEvent&) {}
    virtual void OnNewWindow3(const BrowserEvent&) {}

    // Controls report their events here: decoded once, then routed by the sink map.
    void FireControlEvent(UINT controlId, DISPID dispid, const DISPPARAMS& params);

protected:
    ~BrowserEvents() = default;
    virtual const EventSinkEntry* GetEventSinkMap() const { return nullptr; }
};

// DWebBrowserEvents2 arguments (they arrive in reverse order) into an event.
BrowserEvent DecodeBrowserEvent(DISPID dispid, const DISPPARAMS& params);

}  // namespace tessel
