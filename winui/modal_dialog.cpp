#include "winui/modal_dialog.h"

#include "winui/window_procedure.h"

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

std::optional<INT_PTR> ModalDialog::DoModal() {
    const Application* app = Application::Current();
    const HINSTANCE inst = app && app->m_hInstance ? app->m_hInstance : ::GetModuleHandleW(nullptr);
    bool visible = false;
    const std::vector<BYTE> dialogTemplate = LoadTemplate(inst, m_templateId, visible);
    if (dialogTemplate.empty()) return std::nullopt;
    m_ending = false;
    m_result = 0;
    HWND hwnd = ::CreateDialogIndirectParamW(inst, reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
                                             m_hWndParent, &DialogProcedure<ModalDialog>, reinterpret_cast<LPARAM>(this));
    if (!hwnd) return std::nullopt;
    const bool parentWasEnabled = m_hWndParent && !::EnableWindow(m_hWndParent, FALSE);
    if (!m_ending && visible && !::IsWindowVisible(hwnd)) ::ShowWindow(hwnd, SW_SHOWNORMAL);
    RunModalLoop();
    if (parentWasEnabled) ::EnableWindow(m_hWndParent, TRUE);
    // The controls go with the window, while OLE is still up.
    ::DestroyWindow(hwnd);
    return m_result;
}

// Waits for messages and, while a wait is set, for its handle: the thread never stops taking
// messages, so Windows never calls the window hung. MWMO_INPUTAVAILABLE wakes it also for
// messages that arrived before and were only looked at.
void ModalDialog::RunModalLoop() {
    MSG msg;
    while (!m_ending) {
        HANDLE wait = m_waitHandle;
        const DWORD woke = ::MsgWaitForMultipleObjectsEx(wait ? 1 : 0, wait ? &wait : nullptr, INFINITE, QS_ALLINPUT,
                                                         MWMO_INPUTAVAILABLE);
        if (wait && (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED)) {
            FinishWait();
            continue;
        }
        while (!m_ending && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));  // for whoever runs the outer loop
                return;
            }
            ProcessMessage(msg);
            // A wait that is over goes first, so a stream of messages cannot hold it up.
            if (m_waitHandle && ::WaitForSingleObject(m_waitHandle, 0) != WAIT_TIMEOUT) break;
        }
    }
}

void ModalDialog::ProcessMessage(MSG& msg) {
    if (m_waitHandle) {
        if (IsControlInput(msg)) return;  // the page takes no input while the program waits
    } else if (PreTranslateMessage(msg)) {
        return;
    }
    if (m_hWnd && ::IsDialogMessageW(m_hWnd, &msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

// Keys and clicks aimed at a control of the dialog or of a window it owns (a page's popup).
// System keys stay: Alt+F4 closes the window meanwhile.
bool ModalDialog::IsControlInput(const MSG& msg) const {
    const bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && msg.message != WM_SYSKEYDOWN &&
                     msg.message != WM_SYSKEYUP && msg.message != WM_SYSCHAR && msg.message != WM_SYSDEADCHAR;
    const bool mouse = msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST;
    if (!(key || mouse) || !m_hWnd || !msg.hwnd) return false;
    const HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    return msg.hwnd != root && (root == m_hWnd || ::GetWindow(root, GW_OWNER) == m_hWnd);
}

void ModalDialog::WaitFor(HANDLE handle, std::function<void()> done) {
    const bool wasWaiting = IsWaiting();
    m_waitHandle = handle;
    m_waitDone = std::move(done);
    if (!wasWaiting) EnableControls(false);
}

void ModalDialog::CancelWait() {
    if (!IsWaiting()) return;
    m_waitHandle = nullptr;
    m_waitDone = nullptr;
    EnableControls(true);
}

bool ModalDialog::FinishWaitWithin(DWORD ms) {
    if (!m_waitHandle || ::WaitForSingleObject(m_waitHandle, ms) != WAIT_OBJECT_0) return false;
    FinishWait();
    return true;
}

void ModalDialog::FinishWait() {
    auto done = std::move(m_waitDone);
    m_waitHandle = nullptr;
    m_waitDone = nullptr;
    if (done) done();
    if (!IsWaiting()) EnableControls(true);
}

namespace {
struct Enabling {
    HWND owner;
    bool enable;
};
void EnableChildren(HWND window, bool enable) {
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::EnableWindow(child, enable);
}
BOOL CALLBACK EnableOwned(HWND window, LPARAM data) {
    const auto* e = reinterpret_cast<const Enabling*>(data);
    if (::GetWindow(window, GW_OWNER) == e->owner) EnableChildren(window, e->enable);
    return TRUE;
}
}  // namespace

// The dialog's controls and those of the windows it owns (the pages' popups) alike.
void ModalDialog::EnableControls(bool enable) {
    if (!m_hWnd) return;
    EnableChildren(m_hWnd, enable);
    Enabling e{m_hWnd, enable};
    ::EnumThreadWindows(::GetCurrentThreadId(), &EnableOwned, reinterpret_cast<LPARAM>(&e));
    // Disabling may take the focus away; it goes back to the first control, as at the start.
    if (!enable || ::GetActiveWindow() != m_hWnd) return;
    HWND focus = ::GetFocus();
    if (!focus || focus == m_hWnd)
        if (HWND first = ::GetNextDlgTabItem(m_hWnd, nullptr, FALSE)) ::SetFocus(first);
}

// Keys in the dialog, or in a window it owns (a page's popup), go to that window's controls.
bool ModalDialog::PreTranslateMessage(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !m_hWnd || !msg.hwnd) return false;
    HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    if (root != m_hWnd && ::GetWindow(root, GW_OWNER) != m_hWnd) return false;
    return TranslateControlAccelerators(root, msg);
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

INT_PTR ModalDialog::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        m_hWnd = hwnd;
        return OnInitDialog();
    }
    const INT_PTR handled = Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) m_hWnd = nullptr;
    return handled;
}

INT_PTR ModalDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    // Over the client area or a disabled control (HTERROR): the program is busy.
    const short hit = static_cast<short>(LOWORD(lParam));
    if (message == WM_SETCURSOR && IsWaiting() && (hit == HTCLIENT || hit == HTERROR)) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) return OnOK(), TRUE;
        if (LOWORD(wParam) == IDCANCEL) return OnCancel(), TRUE;
    }
    for (const MessageEntry* e = GetMessageMap(); e && e->message; ++e) {
        if (e->message != message) continue;
        const MessageResult result = (this->*e->handler)(wParam, lParam);
        if (!result) return FALSE;  // default handling
        // A message whose answer is the procedure's own return value.
        if (message == WM_QUERYDRAGICON) return static_cast<INT_PTR>(*result);
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, *result);
        return TRUE;
    }
    return FALSE;
}

}  // namespace tessel
