#include "winui/modal_dialog.h"

#include <cstring>
#include <vector>

#include "winui/application.h"
#include "winui/browser_host.h"

namespace tessel {

ModalDialog::ModalDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_hWndParent(parent) {}
ModalDialog::~ModalDialog() = default;

namespace {

// The dialog template as a copy without WS_VISIBLE: the window is shown after its
// initialisation, as a modal dialog box is, so a dialog that ends there never shows.
std::vector<BYTE> LoadTemplate(HINSTANCE inst, UINT id, bool& visible) {
    std::vector<BYTE> copy;
    HRSRC res = ::FindResourceW(inst, MAKEINTRESOURCEW(id), RT_DIALOG);
    HGLOBAL data = res ? ::LoadResource(inst, res) : nullptr;
    const BYTE* bytes = data ? static_cast<const BYTE*>(::LockResource(data)) : nullptr;
    const DWORD size = res ? ::SizeofResource(inst, res) : 0;
    if (!bytes || size < sizeof(DLGTEMPLATE)) return copy;
    copy.assign(bytes, bytes + size);
    // An extended template starts with version 1 and signature 0xFFFF; its style sits
    // after the help id and extended style.
    WORD head[2];
    std::memcpy(head, copy.data(), sizeof head);
    const std::size_t offset = (head[0] == 1 && head[1] == 0xFFFF) ? 12 : 0;
    if (copy.size() < offset + sizeof(DWORD)) return {};
    DWORD style;
    std::memcpy(&style, copy.data() + offset, sizeof style);
    visible = (style & WS_VISIBLE) != 0;
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    std::memcpy(copy.data() + offset, &style, sizeof style);
    return copy;
}

}  // namespace

INT_PTR ModalDialog::DoModal() {
    const Application* app = Application::Current();
    const HINSTANCE inst = app && app->m_hInstance ? app->m_hInstance : ::GetModuleHandleW(nullptr);
    bool visible = false;
    const std::vector<BYTE> dialogTemplate = LoadTemplate(inst, m_templateId, visible);
    if (dialogTemplate.empty()) return -1;
    m_ending = false;
    m_result = 0;
    HWND hwnd = ::CreateDialogIndirectParamW(inst, reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
                                             m_hWndParent, &DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd) return -1;
    const bool parentWasEnabled = m_hWndParent && !::EnableWindow(m_hWndParent, FALSE);
    if (!m_ending && visible && !::IsWindowVisible(hwnd)) ::ShowWindow(hwnd, SW_SHOWNORMAL);
    RunModalLoop();
    if (parentWasEnabled) ::EnableWindow(m_hWndParent, TRUE);
    // The controls go with the window, while OLE is still up.
    ::DestroyWindow(hwnd);
    return m_result;
}

void ModalDialog::RunModalLoop() {
    MSG msg;
    while (!m_ending) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));  // for whoever runs the outer loop
            break;
        }
        if (PreTranslateMessage(msg)) continue;
        if (m_hWnd && ::IsDialogMessageW(m_hWnd, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool ModalDialog::PreTranslateMessage(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !m_hWnd) return false;
    if (msg.hwnd != m_hWnd && !::IsChild(m_hWnd, msg.hwnd)) return false;
    return TranslateControlAccelerators(m_hWnd, msg);
}

void ModalDialog::EndDialog(INT_PTR result) {
    // The first end stands: a close that arrives while the loop winds down must not turn
    // an undelivered result's status into a normal one.
    if (!m_hWnd || m_ending) return;
    m_ending = true;
    m_result = result;
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wakes the loop
}

BOOL ModalDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void ModalDialog::FireControlEvent(UINT controlId, DISPID dispid, const DISPPARAMS& params) {
    for (const EventSinkEntry* e = GetEventSinkMap(); e && e->controlId; ++e) {
        if (e->controlId != controlId || e->dispid != dispid) continue;
        (this->*e->handler)(DecodeBrowserEvent(dispid, params));
        return;
    }
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<ModalDialog*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->m_hWnd = hwnd;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<ModalDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    const INT_PTR handled = self->Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) self->m_hWnd = nullptr;
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
        // A message whose answer is the procedure's own return value.
        if (message == WM_QUERYDRAGICON) return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}

}  // namespace tessel
