#include "app/tessel_dlg.h"

#include <exdispid.h>

#include "app/shell_logic.h"
#include "base/module_win.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "events/page_events.h"
#include "events/page_title_win.h"
#include "events/result_delivery_win.h"
#include "params/command_line.h"
#include "params/parameter_file_win.h"
#include "viewer/start_sequence_win.h"
#include "winui/application.h"
#include "winui/browser_host.h"

namespace tessel {

namespace {
// The four low bits of a system command are the system's own; 0x0010 is a command the
// dialog takes without acting on it.
constexpr UINT kSystemCommandMask = 0xFFF0;
constexpr UINT kInertSystemCommand = 0x0010;
}  // namespace

CTesselDlg::CTesselDlg(HWND parent)
    : ModalDialog(IDD_TESSEL_DIALOG, parent),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

CTesselDlg::~CTesselDlg() = default;

void CTesselDlg::DoDataExchange() {
    HWND control = ::GetDlgItem(GetSafeHwnd(), kBrowserControlId);
    m_browser.Attach(control);
    SetBrowserEventTarget(control, this, kBrowserControlId);
}

BOOL CTesselDlg::RefuseStart() {
    Trace(u"exit -1: missing launch parameters");
    m_startRefused = true;
    EndDialog(kExitMissingParameters);  // the loop never runs and the window never shows
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
    if (m_params.Lookup(keys::kServerIP).empty()) return RefuseStart();
    if (m_params.Lookup(keys::kURL).empty()) return RefuseStart();

    HWND hwnd = GetSafeHwnd();
    ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    const WindowSize size = ChooseWindowSize(m_params);
    ::MoveWindow(hwnd, 0, 0, size.width, size.height, TRUE);
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetPropW(MainWindowHandle(), W(ModuleStem()), reinterpret_cast<HANDLE>(kWindowPropertyValue));
    ShowStartPage();
    ::SetTimer(hwnd, kStartTimer, 10, nullptr);
    return TRUE;
}

void CTesselDlg::ShowStartPage() {
    const auto url = BuildStartPageUrl(ModulePath());
    if (!url) return;  // no folder to point into: nothing sensible to show
    Trace(u"navigate start page: " + *url);
    TESSEL_CHECK(m_browser.Navigate(*url));
}

void CTesselDlg::OnTimer(UINT_PTR) {
    ::KillTimer(GetSafeHwnd(), kStartTimer);  // first, so the sequence runs once
    RunStartSequence(m_params, m_browser, GetSafeHwnd());
    if (HWND control = m_browser.GetSafeHwnd()) ::UpdateWindow(control);
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
    TESSEL_CHECK(m_browser.Navigate(*url));
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

void CTesselDlg::OnSysCommand(UINT id, bool& handled) { handled = (id & kSystemCommandMask) == kInertSystemCommand; }

void CTesselDlg::OnBeforeNavigate2(const BrowserEvent& event) {
    Trace(u"before navigate: " + event.url);
    if (ContainsExitWord(event.url)) {
        Trace(u"exit word");
        ::SendMessageW(MainWindowHandle(), WM_CLOSE, 0, 0);
    }
}

void CTesselDlg::OnDownloadComplete(const BrowserEvent&) {
    if (IsEnding()) return;  // a result already taken in hand is not fetched twice
    if (const auto status = RetrieveResult(m_params, m_browser)) EndDialog(*status);
}

void CTesselDlg::OnDocumentComplete(const BrowserEvent&) {
    const auto title = PageTitle(m_browser);
    if (!title) return;  // no document, or not an HTML one: caption unchanged
    Trace(u"title: " + *title);
    ::SetWindowTextW(GetSafeHwnd(), W(*title));
}

namespace {

CTesselDlg& Self(ModalDialog& d) { return static_cast<CTesselDlg&>(d); }

const ModalDialog::MessageEntry kMessageMap[] = {
    {WM_SYSCOMMAND,
     [](ModalDialog& d, WPARAM w, LPARAM, LRESULT&) {
         bool handled = false;
         Self(d).OnSysCommand(static_cast<UINT>(w), handled);
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

const ModalDialog::EventSinkEntry kEventSinkMap[] = {
    {kBrowserControlId, DISPID_DOWNLOADCOMPLETE, &BrowserEvents::OnDownloadComplete},
    {kBrowserControlId, DISPID_BEFORENAVIGATE2, &BrowserEvents::OnBeforeNavigate2},
    {kBrowserControlId, DISPID_DOCUMENTCOMPLETE, &BrowserEvents::OnDocumentComplete},
    {0, 0, nullptr},
};

}  // namespace

const ModalDialog::MessageEntry* CTesselDlg::GetMessageMap() const { return kMessageMap; }
const ModalDialog::EventSinkEntry* CTesselDlg::GetEventSinkMap() const { return kEventSinkMap; }

}  // namespace tessel
