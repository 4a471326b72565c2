// The dialog layer the program is built on: an application object with InitInstance, a
// modal dialog with a message map and an event-sink map for its ActiveX controls.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace tessel {

class ModalDialog;

// One process-wide application object; WinMain runs its InitInstance.
class Application {
public:
    Application();
    virtual ~Application();
    virtual BOOL InitInstance() = 0;
    // The dialog that stands for the application; page commands and the property use it.
    ModalDialog* m_pMainWnd = nullptr;
    const wchar_t* m_lpCmdLine = L"";
    HINSTANCE m_hInstance = nullptr;
    static Application* Current();

    // Framework shut-down, after the last dialog and its controls are gone: OLE ends here.
    void ExitInstance();

protected:
    // Framework start-up: OLE for the embedded controls on this thread.
    void InitFramework();
    // Registers the container window class that dialog templates name by control CLSID.
    void EnableControlContainer();

private:
    bool oleStarted_ = false;
};

HWND MainWindowHandle();

class ModalDialog {
public:
    using MessageHandler = bool (*)(ModalDialog& self, WPARAM, LPARAM, LRESULT& result);
    struct MessageEntry {
        UINT message;  // 0 ends the map
        MessageHandler handler;
    };
    using EventHandler = void (*)(ModalDialog& self, DISPPARAMS& params);
    struct EventSinkEntry {
        UINT controlId;  // 0 ends the map
        DISPID dispid;
        EventHandler handler;
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
    HWND GetSafeHwnd() const { return hwnd_; }
    // EndDialog was called: the modal loop ends at its next turn.
    bool IsEnding() const { return ending_; }
    // Binds the object to a window made elsewhere, so handlers can be driven without a
    // modal loop (Windows unit tests).
    void AttachWindow(HWND hwnd) { hwnd_ = hwnd; }

    // Controls report their events here; the sink map routes them to handlers.
    void FireControlEvent(UINT controlId, DISPID dispid, DISPPARAMS& params);

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

    UINT templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    bool ending_ = false;
    INT_PTR result_ = 0;
};

}  // namespace tessel
