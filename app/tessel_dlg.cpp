#include "app/tessel_dlg.h"

#include "app/platform_win.h"
#include "app/shell_logic.h"
#include "params/command_line.h"
#include "winui/browser_host.h"

namespace tessel {

CTesselDlg::CTesselDlg(HWND parent)
    : ModalDialog(kDialogTemplate, parent),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconGroup))) {}

CTesselDlg::~CTesselDlg() = default;

void CTesselDlg::DoDataExchange() {
    HWND control = ::GetDlgItem(GetSafeHwnd(), kBrowserControlId);
    m_browser.Attach(control);
    SetBrowserEventTarget(control, this, kBrowserControlId);
}

BOOL CTesselDlg::RefuseStart() {
    Trace(u"exit -1: missing launch parameters");
    m_startRefused = true;
    EndDialog(-1);  // the loop never runs and the window never shows
    return FALSE;
}

BOOL CTesselDlg::OnInitDialog() {
    ModalDialog::OnInitDialog();
    if (ReadParameterFile(m_strCommandLine, m_params)) {
        Trace(u"parameters from file: " + m_strCommandLine);
    } else {
        TrimInPlace(m_strCommandLine, PlatformIsWideSpace);
        if (!ParseCommandLineParameters(m_strCommandLine, m_params, PlatformIsSpaceAbove00FF))
            return RefuseStart();
        Trace(u"parameters from command line");
    }
    if (m_params.Lookup(std::string(keys::kServerIP)).empty()) return RefuseStart();
    if (m_params.Lookup(std::string(keys::kURL)).empty()) return RefuseStart();

    HWND hwnd = GetSafeHwnd();
    ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    const WindowSize size = ChooseWindowSize(m_params);
    ::MoveWindow(hwnd, 0, 0, size.width, size.height, TRUE);
    ::ShowWindow(hwnd, SW_SHOW);
    const WideString property = PropertyNameFromModulePath(ModulePath());
    ::SetPropW(MainWindowHandle(), W(property), reinterpret_cast<HANDLE>(kWindowPropertyValue));
    ShowStartPage();
    ::SetTimer(hwnd, kStartTimer, 10, nullptr);
    return TRUE;
}

void CTesselDlg::ShowStartPage() {
    const auto url = BuildStartPageUrl(ModulePath());
    if (!url) return;  // no folder to point into: nothing sensible to show
    Trace(u"navigate start page: " + *url);
    m_browser.Navigate(*url);
}

void CTesselDlg::OnClose() {
    Trace(u"close");
    EndDialog(0);
}

BOOL CTesselDlg::OnCopyData(HWND, const COPYDATASTRUCT* data) {
    if (!data) return TRUE;
    // The payload is valid only during this call: the decoded URL is a copy.
    const auto url = DecodeNavigationRequest(data->lpData, data->cbData);
    if (!url) {
        Trace(u"copydata ignored");
        return TRUE;
    }
    Trace(u"navigate copydata: " + *url);
    m_browser.Navigate(*url);
    return TRUE;
}

void CTesselDlg::OnPaint(bool& handled) {
    HWND hwnd = GetSafeHwnd();
    handled = ::IsIconic(hwnd);
    if (!handled) return;
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    ::SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    ::DrawIcon(dc, (rc.right - rc.left - cxIcon + 1) / 2, (rc.bottom - rc.top - cyIcon + 1) / 2, m_hIcon);
    ::EndPaint(hwnd, &ps);
}

HICON CTesselDlg::OnQueryDragIcon() { return m_hIcon; }

void CTesselDlg::OnSize(UINT, int cx, int cy) {
    HWND control = m_browser.GetSafeHwnd();
    if (!control || !::IsWindow(control)) return;
    ::MoveWindow(control, 0, 0, cx, cy, TRUE);
    ::UpdateWindow(control);
}

void CTesselDlg::OnSysCommand(UINT id, LPARAM, bool& handled) {
    handled = (id & 0xFFF0) == 0x0010;
}

namespace {

CTesselDlg& Self(ModalDialog& d) { return static_cast<CTesselDlg&>(d); }

const ModalDialog::MessageEntry kMessageMap[] = {
    {WM_SYSCOMMAND,
     [](ModalDialog& d, WPARAM w, LPARAM l, LRESULT&) {
         bool handled = false;
         Self(d).OnSysCommand(static_cast<UINT>(w), l, handled);
         return handled;
     }},
    {WM_PAINT,
     [](ModalDialog& d, WPARAM, LPARAM, LRESULT&) {
         bool handled = false;
         Self(d).OnPaint(handled);
         return handled;
     }},
    {WM_QUERYDRAGICON,
     [](ModalDialog& d, WPARAM, LPARAM, LRESULT& r) {
         r = reinterpret_cast<LRESULT>(Self(d).OnQueryDragIcon());
         return true;
     }},
    {WM_SIZE,
     [](ModalDialog& d, WPARAM w, LPARAM l, LRESULT&) {
         Self(d).OnSize(static_cast<UINT>(w), LOWORD(l), HIWORD(l));
         return true;
     }},
    {WM_CLOSE,
     [](ModalDialog& d, WPARAM, LPARAM, LRESULT&) {
         Self(d).OnClose();
         return true;
     }},
    {WM_TIMER,
     [](ModalDialog& d, WPARAM w, LPARAM, LRESULT&) {
         Self(d).OnTimer(static_cast<UINT_PTR>(w));
         return false;  // then the default handling, as for any timer message
     }},
    {WM_COPYDATA,
     [](ModalDialog& d, WPARAM w, LPARAM l, LRESULT& r) {
         r = Self(d).OnCopyData(reinterpret_cast<HWND>(w), reinterpret_cast<const COPYDATASTRUCT*>(l));
         return true;
     }},
    {0, nullptr},
};

// Event arguments arrive in reverse order.
VARIANT* Arg(DISPPARAMS& p, UINT index) {
    return index < p.cArgs ? &p.rgvarg[p.cArgs - 1 - index] : nullptr;
}
IDispatch* DispatchArg(DISPPARAMS& p, UINT index) {
    VARIANT* v = Arg(p, index);
    if (v && V_VT(v) == VT_DISPATCH) return V_DISPATCH(v);
    if (v && V_VT(v) == (VT_BYREF | VT_DISPATCH) && V_DISPATCHREF(v)) return *V_DISPATCHREF(v);
    return nullptr;
}
VARIANT* ByRefVariant(DISPPARAMS& p, UINT index) {
    VARIANT* v = Arg(p, index);
    if (v && V_VT(v) == (VT_BYREF | VT_VARIANT)) return V_VARIANTREF(v);
    return v;
}
VARIANT_BOOL* BoolRef(DISPPARAMS& p, UINT index) {
    VARIANT* v = Arg(p, index);
    return v && V_VT(v) == (VT_BYREF | VT_BOOL) ? V_BOOLREF(v) : nullptr;
}

const ModalDialog::EventSinkEntry kEventSinkMap[] = {
    {kBrowserControlId, 104, [](ModalDialog& d, DISPPARAMS&) { Self(d).OnDownloadComplete(); }},
    {kBrowserControlId, 250,
     [](ModalDialog& d, DISPPARAMS& p) {
         Self(d).OnBeforeNavigate2(DispatchArg(p, 0), ByRefVariant(p, 1), ByRefVariant(p, 2),
                                   ByRefVariant(p, 3), ByRefVariant(p, 4), ByRefVariant(p, 5),
                                   BoolRef(p, 6));
     }},
    {kBrowserControlId, 259,
     [](ModalDialog& d, DISPPARAMS& p) { Self(d).OnDocumentComplete(DispatchArg(p, 0), ByRefVariant(p, 1)); }},
    {0, 0, nullptr},
};

}  // namespace

const ModalDialog::MessageEntry* CTesselDlg::GetMessageMap() const { return kMessageMap; }
const ModalDialog::EventSinkEntry* CTesselDlg::GetEventSinkMap() const { return kEventSinkMap; }

}  // namespace tessel
