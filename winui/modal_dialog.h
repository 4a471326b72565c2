// The modal dialog of the dialog layer: its own message loop (keys to the UI-active control
// first, waits among the messages) and a message map of member handlers.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

namespace tessel {

// What a message handler answers: the message's result, or nothing for the dialog's default
// handling.
using MessageResult = std::optional<LRESULT>;

class ModalDialog {
public:
    // Every handler in a message map has this one shape; it reads its message's arguments itself.
    using MessageHandler = MessageResult (ModalDialog::*)(WPARAM, LPARAM);
    struct MessageEntry {
        UINT message;  // 0 ends the map
        MessageHandler handler;
    };
    // A derived dialog's handler as a map entry.
    template <typename Dialog>
    static constexpr MessageEntry On(UINT message, MessageResult (Dialog::*handler)(WPARAM, LPARAM)) {
        return {message, static_cast<MessageHandler>(handler)};
    }

    explicit ModalDialog(UINT templateId, HWND parent = nullptr);
    virtual ~ModalDialog();
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // Runs the dialog in a loop of its own, so that each key reaches the UI-active control
    // before the dialog manager; the value given to EndDialog, or nothing when the window
    // could not be created. The window shows only after OnInitDialog, and not at all when
    // that ends it.
    std::optional<INT_PTR> DoModal();
    void EndDialog(INT_PTR result);
    HWND GetSafeHwnd() const { return m_hWnd; }
    // EndDialog was called: the modal loop ends at its next turn, with this value.
    bool IsEnding() const { return m_ending; }
    INT_PTR EndValue() const { return m_result; }
    // Binds the object to a window made elsewhere, so handlers can be driven without a
    // modal loop (Windows unit tests).
    void AttachWindow(HWND hwnd) { m_hWnd = hwnd; }

    // Makes the dialog's own loop wait for `handle` as well as for messages, so the window
    // keeps answering: once it is signalled, `done` runs from the loop, never inside another
    // handler. Meanwhile the controls take no input (disabled, their keys and clicks dropped,
    // the wait cursor shown). One wait at a time; `done` may start the next.
    void WaitFor(HANDLE handle, std::function<void()> done);
    // Drops the wait without running its `done` (its work was ended another way).
    void CancelWait();
    bool IsWaiting() const { return m_waitHandle != nullptr; }
    // The loop's own step for a wait, within `ms`: once its handle is signalled, `done` runs.
    // False when it was not signalled in time (or there is no wait).
    bool FinishWaitWithin(DWORD ms);

protected:
    virtual BOOL OnInitDialog();  // runs DoDataExchange
    virtual void DoDataExchange() {}
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual const MessageEntry* GetMessageMap() const { return nullptr; }
    // A keyboard message's first stop: the UI-active control's accelerators. True when
    // the control consumed it, so the dialog manager never sees it.
    virtual bool PreTranslateMessage(MSG& msg);

private:
    template <typename T>
    friend INT_PTR CALLBACK DialogProcedure(HWND, UINT, WPARAM, LPARAM);
    INT_PTR HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
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
