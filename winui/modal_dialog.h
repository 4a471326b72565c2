// The modal dialog of the dialog layer: a message map for window messages and an
// event-sink map binding a control's events to typed handlers.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>

#include "winui/browser_events.h"

namespace tessel {

class ModalDialog : public BrowserEvents {
public:
    using MessageHandler = bool (*)(ModalDialog& self, WPARAM, LPARAM, LRESULT& result);
    struct MessageEntry {
        UINT message;  // 0 ends the map
        MessageHandler handler;
    };
    struct EventSinkEntry {
        UINT controlId;  // 0 ends the map
        DISPID dispid;   // DISPID_* of the control's event interface
        BrowserEventHandler handler;
    };

    explicit ModalDialog(UINT templateId, HWND parent = nullptr);
    virtual ~ModalDialog();
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // Runs the dialog in a loop of its own, so that each key reaches the UI-active control
    // before the dialog manager; the value given to EndDialog, or -1 if it could not be
    // created. The window shows only after OnInitDialog, and not at all when that ends it.
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);
    HWND GetSafeHwnd() const { return m_hWnd; }
    // EndDialog was called: the modal loop ends at its next turn.
    bool IsEnding() const { return m_ending; }
    // Binds the object to a window made elsewhere, so handlers can be driven without a
    // modal loop (Windows unit tests).
    void AttachWindow(HWND hwnd) { m_hWnd = hwnd; }

    // Controls report their events here: decoded once, then routed by the sink map.
    void FireControlEvent(UINT controlId, DISPID dispid, const DISPPARAMS& params);

    // Makes the dialog's own loop wait for `handle` as well as for messages, so the window
    // keeps answering: once it is signalled, `done` runs from the loop, never inside another
    // handler. Meanwhile the controls take no input (disabled, their keys and clicks dropped,
    // the wait cursor shown). One wait at a time; `done` may start the next.
    void WaitFor(HANDLE handle, std::function<void()> done);
    // Drops the wait without running its `done` (its work was ended another way).
    void CancelWait();
    bool IsWaiting() const { return m_waitHandle != nullptr; }

protected:
    virtual BOOL OnInitDialog();  // runs DoDataExchange
    virtual void DoDataExchange() {}
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual const MessageEntry* GetMessageMap() const { return nullptr; }
    virtual const EventSinkEntry* GetEventSinkMap() const { return nullptr; }
    // A keyboard message's first stop: the UI-active control's accelerators. True when
    // the control consumed it, so the dialog manager never sees it.
    virtual bool PreTranslateMessage(MSG& msg);

private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void RunModalLoop();
    void ProcessMessage(MSG& msg);
    bool IsControlInput(const MSG& msg) const;
    void FinishWait();
    void EnableControls(bool enable);

    UINT m_templateId;
    HWND m_hWndParent;
    HWND m_hWnd = nullptr;
    bool m_ending = false;
    INT_PTR m_result = 0;
    HANDLE m_waitHandle = nullptr;  // not owned: its owner outlives the wait
    std::function<void()> m_waitDone;
};

}  // namespace tessel
