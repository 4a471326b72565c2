#include "winui/modal_dialog.h"

#include <ole2.h>

#include "winui/browser_host.h"

namespace tessel {

namespace {
Application* g_app = nullptr;
}

Application::Application() { g_app = this; }
Application::~Application() {
    if (oleStarted_) ::OleUninitialize();
    g_app = nullptr;
}
Application* Application::Current() { return g_app; }

void Application::InitFramework() {
    oleStarted_ = SUCCEEDED(::OleInitialize(nullptr));
}

void Application::EnableControlContainer() { RegisterBrowserHostClass(m_hInstance); }

HWND MainWindowHandle() {
    Application* app = Application::Current();
    return app && app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
}

ModalDialog::ModalDialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}
ModalDialog::~ModalDialog() = default;

INT_PTR ModalDialog::DoModal() {
    HINSTANCE inst = Application::Current() ? Application::Current()->m_hInstance
                                            : ::GetModuleHandleW(nullptr);
    return ::DialogBoxParamW(inst, MAKEINTRESOURCEW(templateId_), parent_, &DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

void ModalDialog::EndDialog(INT_PTR result) {
    if (hwnd_) ::EndDialog(hwnd_, result);
}

BOOL ModalDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void ModalDialog::FireControlEvent(UINT controlId, DISPID dispid, DISPPARAMS& params) {
    for (const EventSinkEntry* e = GetEventSinkMap(); e && e->controlId; ++e)
        if (e->controlId == controlId && e->dispid == dispid) e->handler(*this, params);
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<ModalDialog*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<ModalDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    const INT_PTR handled = self->Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) self->hwnd_ = nullptr;
    return handled;
}

INT_PTR ModalDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) return OnOK(), TRUE;
        if (LOWORD(wParam) == IDCANCEL) return OnCancel(), TRUE;
    }
    for (const MessageEntry* e = GetMessageMap(); e && e->message; ++e) {
        if (e->message != message) continue;
        LRESULT result = 0;
        if (!e->handler(*this, wParam, lParam, result)) return FALSE;  // default handling
        // The few messages whose answer is the procedure's own return value.
        if (message == WM_QUERYDRAGICON || message == WM_CTLCOLORDLG) return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}

}  // namespace tessel
