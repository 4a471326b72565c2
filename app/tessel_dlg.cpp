#include "app/tessel_dlg.h"

#include <exdispid.h>

#include <cwchar>
#include <utility>

#include "app/browser_pane.h"
#include "app/popup_window.h"
#include "app/local_pages.h"
#include "app/navigation_request.h"
#include "app/window_size.h"
#include "app/words_win.h"
#include "base/module_win.h"
#include "base/trace_lines.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "page/page_events.h"
#include "page/page_trust.h"
#include "delivery/result_delivery_win.h"
#include "params/command_line.h"
#include "params/parameter_file_win.h"
#include "start/login_win.h"
#include "start/start_sequence_win.h"
#include "winui/browser_host.h"
#include "winui/dpi_win.h"
#include "winui/edit_menu_win.h"

namespace tessel {

namespace {
// The four low bits of a system command are the system's own. 0x0010 is the identifier a
// framework-made dialog gives an "About" entry of its system menu; this dialog has no such
// entry, and a command of that identifier (sent by another process, say) does nothing
// rather than reach the default handling.
constexpr UINT kSystemCommandMask = 0xFFF0;
constexpr UINT kInertSystemCommand = 0x0010;

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

void CTesselDlg::End(ExitStatus status) {
    m_phase = Phase::Ending;
    EndDialog(static_cast<INT_PTR>(status));
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
    if (m_params.Value(keys::kServerIP).value_or("").empty()) return RefuseStart();
    if (m_params.Value(keys::kURL).value_or("").empty()) return RefuseStart();

    // The login goes out first, at once, while the window is made ready and the control
    // loads the start page; the viewer request waits for both.
    m_start = std::make_unique<StartSequence>(m_params);
    HWND hwnd = GetSafeHwnd();
    SpeakTheUsersLanguage();
    ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    // The host's sizes are 96-dpi pixels: on a scaled display the window keeps its physical
    // size, at the scale of the monitor it is on.
    m_dpi = WindowDpi(hwnd);
    const WindowSize size = ScaleToDpi(ChooseWindowSize(m_params), m_dpi);
    ::MoveWindow(hwnd, 0, 0, size.width, size.height, TRUE);
    // The control's first navigation loads its engine inside the call: done before the
    // window shows, the user never meets that pause.
    ShowStartPage();
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetPropW(hwnd, W(ModuleStem()), reinterpret_cast<HANDLE>(kWindowPropertyValue));
    ::SetTimer(hwnd, kStartTimer, 10, nullptr);
    return TRUE;
}

// The words the program shows itself; the caption says "connecting" until a page has a title.
void CTesselDlg::SpeakTheUsersLanguage() {
    const std::vector<std::string> preferred = PreferredUiLanguages();
    m_words = LoadWords(preferred);
    std::string asked;
    for (const std::string& tag : preferred) asked += (asked.empty() ? "" : ",") + tag;
    Trace(lines::kLanguage + Latin1ToWide(m_words.tag) + u" for " + Utf8ToWide(asked));
    EditMenuWords menu;
    const char* const keys[] = {"cut", "copy", "paste", "selectAll", "print"};
    for (std::size_t i = 0; i < menu.labels.size(); ++i)
        if (const WideString label = m_words[keys[i]]; !label.empty()) menu.labels[i] = label;
    menu.rightToLeft = m_words.rightToLeft;
    SetEditMenuWords(std::move(menu));
    ::SetWindowTextW(GetSafeHwnd(), W(m_words["connectingTitle"]));
}

void CTesselDlg::ShowStartPage() {
    const auto url = BuildStartPageUrl(ModulePath());
    if (!url) return;  // no folder to point into: nothing sensible to show
    Trace(lines::kNavigateStartPage + *url);
    TESSEL_CHECK(Browser().Navigate(*url));
}

bool CTesselDlg::Admit(Arrival arrival, std::function<void()> replay) {
    switch (Decide(m_phase, arrival)) {
        case Effect::Act:
            return true;
        case Effect::Hold:
            if (replay) m_held.push_back(std::move(replay));
            return false;
        case Effect::Drop:
            return false;
    }
    return false;
}

MessageResult CTesselDlg::OnTimer(WPARAM id, LPARAM) {
    // Any process may post a timer message: only the dialog's own starts the run, once.
    if (!Admit(id == kStartTimer ? Arrival::StartTimer : Arrival::OtherTimer)) {
        Trace(lines::kTimerIgnored + Latin1ToWide(std::to_string(id)));
        return 0;
    }
    ::KillTimer(GetSafeHwnd(), kStartTimer);
    StartRun();
    return std::nullopt;  // then the default handling, as for any timer message
}

// The document read, the login and the viewer request: at the start (the first two under
// way since the window was made), and again on request.
void CTesselDlg::StartRun() {
    m_phase = Phase::LoggingIn;
    if (!m_start) m_start = std::make_unique<StartSequence>(m_params);
    WaitFor(m_start->Ready(), [this] { OnLoginDone(); });
}

void CTesselDlg::OnLoginDone() {
    const std::unique_ptr<StartSequence> start = std::move(m_start);
    const LoginOutcome login = start->OpenViewer(Browser());
    // Asked for unless the login's error stopped it; its own navigation is the next one.
    m_viewerOutstanding = login.kind != LoginOutcome::Kind::HttpLayerError;
    m_certificateProblem = 0;
    m_viewerNavigationSeen = false;
    if (HWND control = m_browser.GetSafeHwnd()) ::UpdateWindow(control);
    if (login.kind == LoginOutcome::Kind::HttpLayerError) {
        ShowLoginError(login.error);
        if (m_phase == Phase::Ending) return;  // closed while it showed: nothing is replayed
    }
    m_phase = Phase::Browsing;
    // In their order; each is decided again by the phase it now meets (a result reached
    // among them ends what the others may do).
    const std::vector<std::function<void()>> held = std::move(m_held);
    m_held.clear();
    for (const auto& action : held) action();
}

// The one message the program shows: an HTTP-layer error the login did not absorb. Its
// box runs a loop of its own; a close or the end of the session meanwhile ends it (Stop).
void CTesselDlg::ShowLoginError(DWORD error) {
    WideString text = SystemMessage(error, L"wininet.dll");
    if (text.empty()) text = m_words["internalError"];
    m_showingError = true;
    ::MessageBoxW(GetSafeHwnd(), W(text), W(ModuleStem()), MB_OK | MB_ICONSTOP);
    m_showingError = false;
}

namespace {
BOOL CALLBACK CloseOwnedBox(HWND window, LPARAM owner) {
    wchar_t cls[16] = {};
    ::GetClassNameW(window, cls, 16);
    if (::GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) && std::wcscmp(cls, L"#32770") == 0)
        ::EndDialog(window, IDOK);
    return TRUE;
}
}  // namespace

void CTesselDlg::Stop() {
    switch (m_phase) {
        case Phase::Opening:
        case Phase::LoggingIn:
            CancelWait();
            if (m_start) {
                Trace(lines::kLoginAbandoned);
                m_start->Abandon();  // the viewer is never asked for
            }
            if (m_showingError)
                ::EnumThreadWindows(::GetCurrentThreadId(), &CloseOwnedBox, reinterpret_cast<LPARAM>(GetSafeHwnd()));
            return End(ExitStatus::Normal);
        case Phase::Delivering:
            if (!m_delivery) {
                Trace(lines::kResultNotStarted);
                return End(ExitStatus::NotDelivered);
            }
            // A transfer's tool ends at once; the delivery's own status stands.
            CancelWait();
            m_delivery->Cancel();
            return ContinueDelivery();
        default:
            return End(ExitStatus::Normal);
    }
}

MessageResult CTesselDlg::OnClose(WPARAM, LPARAM) {
    if (!Admit(Arrival::Close)) return 0;
    Trace(lines::kClose);
    Stop();
    return 0;
}

// The result is safe on the server until the DELETE: nothing needs to hold the session up.
MessageResult CTesselDlg::OnQueryEndSession(WPARAM, LPARAM) { return TRUE; }

// Once this returns the process may be ended at any moment: the tool and its working files
// go before it does; nothing is deleted on the server.
MessageResult CTesselDlg::OnEndSession(WPARAM ending, LPARAM) {
    if (!ending || !Admit(Arrival::EndSession)) return 0;
    Trace(lines::kEndSession);
    Stop();
    // File work cannot be cut short: it is waited for here, within a bound, and the result it
    // moved into place stays on the server.
    if (m_delivery && m_delivery->Pending()) {
        CancelWait();
        if (::WaitForSingleObject(m_delivery->Pending(), 5000) == WAIT_OBJECT_0) m_delivery->Resume();
        End(ExitStatusOf(m_delivery->Outcome()));
    }
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
    // Answered at once, whatever the phase does with it.
    const Effect effect = Decide(m_phase, Arrival::NavigationRequest);
    if (Admit(Arrival::NavigationRequest, [this, target = *url] { NavigateOnRequest(target); }))
        NavigateOnRequest(*url);
    else
        Trace(effect == Effect::Hold ? lines::kCopyDataHeld : lines::kCopyDataDropped);
    return TRUE;
}

void CTesselDlg::NavigateOnRequest(const WideString& url) {
    if (!Admit(Arrival::NavigationRequest)) return;  // replayed into a phase that drops it
    if (RunPageCommand(url)) return;
    m_viewerOutstanding = false;  // the host sends the page elsewhere
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

// Moved to a monitor of another scale (or the scale changed): the window keeps its physical
// size there, and the page follows the new scale.
MessageResult CTesselDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    m_dpi = pane::FollowScale(Browser(), GetSafeHwnd(), m_dpi, wParam, lParam);
    return 0;
}

MessageResult CTesselDlg::OnSysCommand(WPARAM id, LPARAM) {
    if ((id & kSystemCommandMask) == kInertSystemCommand) return 0;
    return std::nullopt;  // move, size, minimise, close and the rest: the default handling
}

bool CTesselDlg::RunPageCommand(WideView url) {
    switch (PageCommandOf(url)) {
        case PageCommand::Retry:
            if (!Admit(Arrival::Retry)) return true;
            Trace(lines::kRetry);
            StartRun();
            return true;
        case PageCommand::Close:
            ::SendMessageW(GetSafeHwnd(), WM_CLOSE, 0, 0);
            return true;
        case PageCommand::None:
            return false;
    }
    return false;
}

void CTesselDlg::OnBeforeNavigate2(const BrowserEvent& event) {
    if (!Admit(Arrival::BeforeNavigate, [this, e = event.Kept()] { OnBeforeNavigate2(e); })) return;
    // The program's own commands come from its own page: the main control's top-level
    // document is one of the program's pages (asked only of a command).
    const bool topLevel = Browser().IsTopLevel(event.frame);
    const bool ownPage = topLevel && PageCommandOf(event.url) != PageCommand::None &&
                         IsOwnPageAddress(Browser().GetLocationURL(), ModulePath());
    // The viewer request's own navigation, then any other top-level one takes its place.
    if (m_viewerOutstanding && std::exchange(m_viewerNavigationSeen, true) && topLevel) m_viewerOutstanding = false;
    HandleNavigation(event, ownPage);
}

void CTesselDlg::HandleNavigation(const BrowserEvent& event, bool ownPage) {
    Trace(lines::kBeforeNavigate + event.url);
    // The program's own addresses are never loaded; back to the start page (Backspace, the
    // history) would wait there forever.
    const bool command = PageCommandOf(event.url) != PageCommand::None;
    const bool back = IsStartPageAddress(event.url) && std::exchange(m_startPageShown, true);
    if ((command || back) && event.cancel) *event.cancel = VARIANT_TRUE;
    if (back) Trace(lines::kBackToStartPage);
    if (command) {
        if (ownPage)
            RunPageCommand(event.url);
        else
            Trace(lines::kPageCommandIgnored + event.url);
        return;
    }
    if (ContainsExitWord(event.url)) {
        Trace(lines::kExitWord);
        ::SendMessageW(GetSafeHwnd(), WM_CLOSE, 0, 0);
    }
}

void CTesselDlg::OnDownloadComplete(const BrowserEvent&) { ResultCheck(Browser()); }

void CTesselDlg::OnDownloadsSettled(UINT) { ResultCheck(Browser()); }

void CTesselDlg::ResultCheck(WebBrowser& browser) {
    // Held, it runs for the same control if that is still there.
    const auto replay = [this, target = &browser] {
        if (target == &Browser()) return ResultCheck(Browser());
        for (const auto& popup : m_popups)
            if (&popup->m_browser == target) return ResultCheck(popup->m_browser);
    };
    if (!Admit(Arrival::DownloadComplete, replay)) return;
    CheckForResult(browser);
}

void CTesselDlg::CheckForResult(WebBrowser& browser) {
    auto location = ResultLocation(browser);
    if (!location) return;
    // From here the run ends with this result's delivery, which the loop starts.
    m_phase = Phase::Delivering;
    m_resultLocation = std::move(*location);
    ::PostMessageW(GetSafeHwnd(), kDeliverResultMessage, 0, 0);
}

MessageResult CTesselDlg::OnDeliverResult(WPARAM, LPARAM) {
    if (!Admit(Arrival::Deliver) || m_delivery || m_resultLocation.empty()) return 0;
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
    if (!Admit(Arrival::DocumentComplete, [this, e = event.Kept()] { OnDocumentComplete(e); })) return;
    if (Browser().IsTopLevel(event.frame)) m_viewerOutstanding = false;  // a page arrived
    pane::ShowDocument(Browser(), GetSafeHwnd(), m_dpi);
}

// The viewer request could not reach the server: the program's own page, with the reason
// and a way to send the document again, instead of the control's dead end. Frames, later
// pages and the server's own answers keep the control's page.
void CTesselDlg::OnNavigateError(const BrowserEvent& event) {
    if (!Admit(Arrival::NavigateError, [this, e = event.Kept()] { OnNavigateError(e); })) return;
    Trace(lines::kNavigateError + Latin1ToWide(std::to_string(static_cast<unsigned long>(event.status))) + u" " +
          event.url);
    // The viewer request's failure, whatever form of its address the control reports: it is
    // the top-level navigation still outstanding. A certificate we refused for it is the
    // reason, whatever status the control then reports.
    const auto reason = m_certificateProblem ? std::optional<std::string>("reasonCertificate")
                                             : UnreachableReason(event.status);
    if (!reason || !m_viewerOutstanding || !Browser().IsTopLevel(event.frame)) return;
    m_viewerOutstanding = false;
    if (event.cancel) *event.cancel = VARIANT_TRUE;
    // In the system's own words where it has them (they are in its display language).
    m_unreachable = m_certificateProblem ? SystemMessage(m_certificateProblem, L"wininet.dll")
                                         : SystemMessage(static_cast<unsigned long>(event.status), L"urlmon.dll");
    if (m_unreachable.empty()) m_unreachable = m_words[*reason];
    ::PostMessageW(GetSafeHwnd(), kShowUnreachableMessage, 0, 0);
}

// A certificate the HTTP layer cannot trust is never passed, and never asked of the user:
// the request fails, and for the viewer request the program's own page says why.
bool CTesselDlg::RefusesSecurityProblem(UINT, unsigned long problem) {
    if (!IsCertificateProblem(problem)) return false;
    if (m_viewerOutstanding) m_certificateProblem = problem;
    return true;
}

MessageResult CTesselDlg::OnShowUnreachable(WPARAM, LPARAM) {
    const WideString reason = std::move(m_unreachable);
    m_unreachable.clear();
    if (!Admit(Arrival::ShowUnreachable) || reason.empty()) return 0;
    const auto url = BuildUnreachablePageUrl(ModulePath(), reason, Latin1ToWide(m_words.tag));
    if (!url) return 0;
    Trace(lines::kNavigateUnreachable + *url);
    TESSEL_CHECK(Browser().Navigate(*url));
    return 0;
}

// window.close() in the page: no prompt and no dead window; a close like the button's.
void CTesselDlg::OnWindowClosing(const BrowserEvent& event) {
    if (event.cancel) *event.cancel = VARIANT_TRUE;
    Trace(lines::kWindowClosing);
    ::PostMessageW(GetSafeHwnd(), WM_CLOSE, 0, 0);
}

// A window the page opens stays in this program and its session: a popup of ours with a
// control of its own, handed back to the page (window.opener, named targets and POSTs keep
// working). Its exit words and its result act as the main page's.
void CTesselDlg::OnNewWindow3(const BrowserEvent& event) {
    const auto refuse = [&event] {
        if (event.cancel) *event.cancel = VARIANT_TRUE;
    };
    if (!Admit(Arrival::NewWindow) || !event.window) return refuse();
    PopupWindow::Owner owner{
        // A popup's page is never the program's own: its exit words count, its commands not.
        [this](const BrowserEvent& e) {
            if (Admit(Arrival::BeforeNavigate, [this, k = e.Kept()] { HandleNavigation(k, false); }))
                HandleNavigation(e, false);
        },
        [this](WebBrowser& popup) { ResultCheck(popup); },
        [this](const BrowserEvent& e) { OnNewWindow3(e); },
        [this](PopupWindow* gone) {
            for (auto it = m_popups.begin(); it != m_popups.end(); ++it)
                if (it->get() == gone) return void(m_popups.erase(it));
        }};
    PopupWindow* popup = PopupWindow::Open(GetSafeHwnd(), std::move(owner), static_cast<int>(m_popups.size()));
    if (!popup) return refuse();
    m_popups.emplace_back(popup);
    ComPtr<IDispatch> application = popup->Application();
    if (!application) {
        ::DestroyWindow(popup->Window());
        return refuse();
    }
    Trace(lines::kNewWindow + event.url);
    *event.window = application.Detach();
}

namespace {

using D = CTesselDlg;
const ModalDialog::MessageEntry kMessageMap[] = {
    ModalDialog::On(WM_SYSCOMMAND, &D::OnSysCommand),
    ModalDialog::On(WM_PAINT, &D::OnPaint),
    ModalDialog::On(WM_QUERYDRAGICON, &D::OnQueryDragIcon),
    ModalDialog::On(WM_SIZE, &D::OnSize),
    ModalDialog::On(kDpiChangedMessage, &D::OnDpiChanged),
    ModalDialog::On(WM_CLOSE, &D::OnClose),
    ModalDialog::On(WM_TIMER, &D::OnTimer),
    ModalDialog::On(WM_COPYDATA, &D::OnCopyData),
    ModalDialog::On(kDeliverResultMessage, &D::OnDeliverResult),
    ModalDialog::On(kShowUnreachableMessage, &D::OnShowUnreachable),
    ModalDialog::On(WM_QUERYENDSESSION, &D::OnQueryEndSession),
    ModalDialog::On(WM_ENDSESSION, &D::OnEndSession),
    {0, nullptr},
};

const BrowserEvents::EventSinkEntry kEventSinkMap[] = {
    BrowserEvents::On(kBrowserControlId, DISPID_DOWNLOADCOMPLETE, &D::OnDownloadComplete),
    BrowserEvents::On(kBrowserControlId, DISPID_BEFORENAVIGATE2, &D::OnBeforeNavigate2),
    BrowserEvents::On(kBrowserControlId, DISPID_DOCUMENTCOMPLETE, &D::OnDocumentComplete),
    BrowserEvents::On(kBrowserControlId, DISPID_NAVIGATEERROR, &D::OnNavigateError),
    BrowserEvents::On(kBrowserControlId, DISPID_WINDOWCLOSING, &D::OnWindowClosing),
    BrowserEvents::On(kBrowserControlId, DISPID_NEWWINDOW3, &D::OnNewWindow3),
    {0, 0, nullptr},
};

}  // namespace

const ModalDialog::MessageEntry* CTesselDlg::GetMessageMap() const { return kMessageMap; }
const BrowserEvents::EventSinkEntry* CTesselDlg::GetEventSinkMap() const { return kEventSinkMap; }

}  // namespace tessel
