#include "app/tessel_dlg.h"

#include <exdispid.h>

#include "app/shell_logic.h"
#include "base/module_win.h"
#include "base/trace_lines.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "events/page_events.h"
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

// The system DPI, as every declared Windows reports it for a system-DPI-aware program.
int SystemDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : kBaseDpi;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi;
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
    Trace(lines::kStartRefused);
    End(ExitStatus::MissingParameters);  // the loop never runs and the window never shows
    return FALSE;
}

BOOL CTesselDlg::OnInitDialog() {
    ModalDialog::OnInitDialog();
    if (ReadParameterFile(m_strCommandLine, m_params)) {
        Trace(lines::kParametersFromFile + m_strCommandLine);
    } else {
        TrimInPlace(m_strCommandLine, PlatformIsWideSpace);
        if (!ParseCommandLineParameters(m_strCommandLine, m_params, PlatformIsSpaceAbove00FF))
            return RefuseStart();
        Trace(lines::kParametersFromCommandLine);
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
    Trace(lines::kNavigateStartPage + *url);
    TESSEL_CHECK(Browser().Navigate(*url));
}

bool CTesselDlg::Hold(std::function<void()> action) {
    if (!m_start) return false;
    m_held.push_back(std::move(action));
    return true;
}

MessageResult CTesselDlg::OnTimer(WPARAM, LPARAM) {
    ::KillTimer(GetSafeHwnd(), kStartTimer);  // first, so the sequence runs once
    m_start = std::make_unique<StartSequence>(m_params);
    WaitFor(m_start->LoginDone(), [this] { OnLoginDone(); });
    return std::nullopt;  // then the default handling, as for any timer message
}

void CTesselDlg::OnLoginDone() {
    const std::unique_ptr<StartSequence> start = std::move(m_start);
    const LoginOutcome login = start->OpenViewer(Browser());
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

MessageResult CTesselDlg::OnClose(WPARAM, LPARAM) {
    if (Hold([this] { OnClose(0, 0); })) return 0;  // the login step ends first, as it always did
    Trace(lines::kClose);
    if (m_delivery) {
        // A close during a transfer ends the tool at once; the delivery's own status stands.
        CancelWait();
        m_delivery->Cancel();
        ContinueDelivery();
        return 0;
    }
    End(ExitStatus::Normal);
    return 0;
}

MessageResult CTesselDlg::OnCopyData(WPARAM, LPARAM lParam) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data) return TRUE;
    // The payload is valid only during this call: the decoded URL is a copy.
    const auto url = DecodeNavigationRequest(data->lpData, data->cbData);
    if (!url) {
        Trace(lines::kCopyDataIgnored);
        return TRUE;
    }
    // Answered at once; the navigation waits for the step that is running.
    if (Hold([this, target = *url] { NavigateOnRequest(target); })) return TRUE;
    if (m_delivery || !m_resultLocation.empty()) {
        Trace(lines::kCopyDataHeld);
        return TRUE;
    }
    NavigateOnRequest(*url);
    return TRUE;
}

void CTesselDlg::NavigateOnRequest(const WideString& url) {
    Trace(lines::kNavigateCopyData + url);
    TESSEL_CHECK(Browser().Navigate(url));
}

MessageResult CTesselDlg::OnPaint(WPARAM, LPARAM) {
    HWND hwnd = GetSafeHwnd();
    if (!::IsIconic(hwnd)) return std::nullopt;  // the dialog's default painting
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    ::SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    ::DrawIcon(dc, (rc.right - rc.left - cxIcon + 1) / 2, (rc.bottom - rc.top - cyIcon + 1) / 2, m_hIcon);
    ::EndPaint(hwnd, &ps);
    return 0;
}

MessageResult CTesselDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); }

// Whatever the kind of sizing: the control covers the new client area.
MessageResult CTesselDlg::OnSize(WPARAM, LPARAM size) {
    HWND control = m_browser.GetSafeHwnd();
    if (!control || !::IsWindow(control)) return 0;
    ::MoveWindow(control, 0, 0, LOWORD(size), HIWORD(size), TRUE);
    ::UpdateWindow(control);
    return 0;
}

MessageResult CTesselDlg::OnSysCommand(WPARAM id, LPARAM) {
    if ((id & kSystemCommandMask) == kInertSystemCommand) return 0;
    return std::nullopt;  // move, size, minimise, close and the rest: the default handling
}

void CTesselDlg::OnBeforeNavigate2(const BrowserEvent& event) {
    if (Hold([this, event] { OnBeforeNavigate2(event); })) return;
    Trace(lines::kBeforeNavigate + event.url);
    if (ContainsExitWord(event.url)) {
        Trace(lines::kExitWord);
        ::SendMessageW(GetSafeHwnd(), WM_CLOSE, 0, 0);
    }
}

void CTesselDlg::OnDownloadComplete(const BrowserEvent& event) {
    if (Hold([this, event] { OnDownloadComplete(event); })) return;
    // A result already taken in hand is not fetched twice.
    if (IsEnding() || m_delivery || !m_resultLocation.empty()) return;
    auto location = ResultLocation(Browser());
    if (!location) return;
    m_resultLocation = std::move(*location);
    ::PostMessageW(GetSafeHwnd(), kDeliverResultMessage, 0, 0);
}

MessageResult CTesselDlg::OnDeliverResult(WPARAM, LPARAM) {
    if (IsEnding() || m_delivery || m_resultLocation.empty()) return 0;
    const auto output = m_params.Value(keys::kOutputPath);
    DeliveryRequest request{InstalledToolPath(), std::move(m_resultLocation),
                            output ? std::optional<WideString>(Utf8ToWide(CutAtNul(*output))) : std::nullopt,
                            std::string(m_params.Value(keys::kURL).value_or(""))};
    m_delivery = std::make_unique<ResultDelivery>(std::move(request));
    ContinueDelivery();
    return 0;
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
    End(ExitStatusOf(m_delivery->Outcome()));
}

void CTesselDlg::OnDocumentComplete(const BrowserEvent& event) {
    if (Hold([this, event] { OnDocumentComplete(event); })) return;
    // Where the control did not take the DPI flag, the page is zoomed to the display's scale.
    if (const auto zoom = ZoomToApply(SystemDpi(), Browser().GetOpticalZoom().value_or(0))) {
        Trace(lines::kZoom + Latin1ToWide(std::to_string(*zoom)));
        TESSEL_CHECK(Browser().SetOpticalZoom(*zoom));
    }
    const auto title = Browser().DocumentTitle();
    if (!title) return;  // no document, or not an HTML document: caption unchanged
    Trace(lines::kTitle + *title);
    ::SetWindowTextW(GetSafeHwnd(), W(*title));
}

namespace {

using D = CTesselDlg;
const ModalDialog::MessageEntry kMessageMap[] = {
    ModalDialog::On(WM_SYSCOMMAND, &D::OnSysCommand),
    ModalDialog::On(WM_PAINT, &D::OnPaint),
    ModalDialog::On(WM_QUERYDRAGICON, &D::OnQueryDragIcon),
    ModalDialog::On(WM_SIZE, &D::OnSize),
    ModalDialog::On(WM_CLOSE, &D::OnClose),
    ModalDialog::On(WM_TIMER, &D::OnTimer),
    ModalDialog::On(WM_COPYDATA, &D::OnCopyData),
    ModalDialog::On(kDeliverResultMessage, &D::OnDeliverResult),
    {0, nullptr},
};

const BrowserEvents::EventSinkEntry kEventSinkMap[] = {
    {kBrowserControlId, DISPID_DOWNLOADCOMPLETE, &BrowserEvents::OnDownloadComplete},
    {kBrowserControlId, DISPID_BEFORENAVIGATE2, &BrowserEvents::OnBeforeNavigate2},
    {kBrowserControlId, DISPID_DOCUMENTCOMPLETE, &BrowserEvents::OnDocumentComplete},
    {0, 0, nullptr},
};

}  // namespace

const ModalDialog::MessageEntry* CTesselDlg::GetMessageMap() const { return kMessageMap; }
const BrowserEvents::EventSinkEntry* CTesselDlg::GetEventSinkMap() const { return kEventSinkMap; }

}  // namespace tessel
