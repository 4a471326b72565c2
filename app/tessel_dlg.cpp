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
#include "viewer/login_win.h"
#include "viewer/start_sequence_win.h"
#include "winui/browser_host.h"

namespace tessel {

namespace {
// The four low bits of a system command are the system's own; 0x0010 is a command the
// dialog takes without acting on it.
constexpr UINT kSystemCommandMask = 0xFFF0;
constexpr UINT kInertSystemCommand = 0x0010;

int ExitStatusOf(Delivery delivery) { return delivery == Delivery::Failed ? kExitNotDelivered : 0; }

// The system DPI, as every declared Windows reports it for a system-DPI-aware program.
int SystemDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : kBaseDpi;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi;
}

std::optional<std::string> ValueOf(const ParameterMap& params, std::string_view key) {
    const std::string* value = params.Find(key);
    return value ? std::optional<std::string>(*value) : std::nullopt;
}
}  // namespace

CTesselDlg::CTesselDlg(HWND parent)
    : ModalDialog(IDD_TESSEL_DIALOG, parent),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

CTesselDlg::~CTesselDlg() = default;  // a delivery still going ends its run first

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
    // The host's sizes are 96-dpi pixels: on a scaled display the window keeps its physical size.
    const WindowSize size = ScaleToDpi(ChooseWindowSize(m_params), SystemDpi());
    ::MoveWindow(hwnd, 0, 0, size.width, size.height, TRUE);
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetPropW(hwnd, W(ModuleStem()), reinterpret_cast<HANDLE>(kWindowPropertyValue));
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

bool CTesselDlg::Hold(std::function<void()> action) {
    if (!m_start) return false;
    m_held.push_back(std::move(action));
    return true;
}

void CTesselDlg::OnTimer(UINT_PTR) {
    ::KillTimer(GetSafeHwnd(), kStartTimer);  // first, so the sequence runs once
    m_start = std::make_unique<StartSequence>(m_params);
    WaitFor(m_start->LoginDone(), [this] { OnLoginDone(); });
}

void CTesselDlg::OnLoginDone() {
    const std::unique_ptr<StartSequence> start = std::move(m_start);
    const LoginOutcome login = start->OpenViewer(m_browser);
    if (HWND control = m_browser.GetSafeHwnd()) ::UpdateWindow(control);
    if (login.kind == LoginOutcome::Kind::HttpLayerError) {
        // The one message of the framework's own: an HTTP-layer error the login did not absorb.
        WideString text = InternetErrorText(login.error);
        if (text.empty()) text = u"Internal application error.";
        ::MessageBoxW(GetSafeHwnd(), W(text), W(ModuleStem()), MB_OK | MB_ICONSTOP);
    }
    // Once a result is reached the run ends with its delivery; what came after it never
    // took effect in a run that waited in its handlers either.
    const std::vector<std::function<void()>> held = std::move(m_held);
    m_held.clear();
    for (const auto& action : held) {
        if (IsEnding() || !m_resultLocation.empty()) break;
        action();
    }
}

void CTesselDlg::OnClose() {
    if (Hold([this] { OnClose(); })) return;  // the login step ends first, as it always did
    Trace(u"close");
    if (m_delivery) {
        // A close during a transfer ends the tool at once; the delivery's own status stands.
        CancelWait();
        m_delivery->Cancel();
        ContinueDelivery();
        return;
    }
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
    // Answered at once; the navigation waits for the step that is running.
    if (Hold([this, target = *url] {
            Trace(u"navigate copydata: " + target);
            TESSEL_CHECK(m_browser.Navigate(target));
        }))
        return TRUE;
    if (m_delivery || !m_resultLocation.empty()) {
        Trace(u"copydata held: the run ends with its result");
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
    if (Hold([this, event] { OnBeforeNavigate2(event); })) return;
    Trace(u"before navigate: " + event.url);
    if (ContainsExitWord(event.url)) {
        Trace(u"exit word");
        ::SendMessageW(GetSafeHwnd(), WM_CLOSE, 0, 0);
    }
}

void CTesselDlg::OnDownloadComplete(const BrowserEvent& event) {
    if (Hold([this, event] { OnDownloadComplete(event); })) return;
    // A result already taken in hand is not fetched twice.
    if (IsEnding() || m_delivery || !m_resultLocation.empty()) return;
    auto location = ResultLocation(m_browser);
    if (!location) return;
    m_resultLocation = std::move(*location);
    ::PostMessageW(GetSafeHwnd(), kDeliverResultMessage, 0, 0);
}

void CTesselDlg::OnDeliverResult() {
    if (IsEnding() || m_delivery || m_resultLocation.empty()) return;
    DeliveryRequest request{InstalledToolPath(), std::move(m_resultLocation),
                            ValueOf(m_params, keys::kOutputPath), ValueOf(m_params, keys::kURL).value_or("")};
    m_delivery = std::make_unique<ResultDelivery>(std::move(request));
    ContinueDelivery();
}

// Each run is waited for in the loop; the last one's end ends the dialog.
void CTesselDlg::ContinueDelivery() {
    if (HANDLE run = m_delivery->Pending()) {
        WaitFor(run, [this] {
            m_delivery->Resume();
            ContinueDelivery();
        });
        return;
    }
    EndDialog(ExitStatusOf(m_delivery->Outcome()));
}

void CTesselDlg::OnDocumentComplete(const BrowserEvent& event) {
    if (Hold([this, event] { OnDocumentComplete(event); })) return;
    // Where the control did not take the DPI flag, the page is zoomed to the display's scale.
    if (const auto zoom = ZoomToApply(SystemDpi(), m_browser.GetOpticalZoom().value_or(0))) {
        Trace(u"zoom: " + Latin1ToWide(std::to_string(*zoom)));
        TESSEL_CHECK(m_browser.SetOpticalZoom(*zoom));
    }
    const auto title = PageTitle(m_browser);
    if (!title) return;  // no document, or not an HTML document: caption unchanged
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
    {kDeliverResultMessage,
     [](ModalDialog& d, WPARAM, LPARAM, LRESULT&) {
         Self(d).OnDeliverResult();
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
