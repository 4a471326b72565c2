#include "app/tessel_dlg.h"

#include <exdispid.h>

#include <cwchar>
#include <utility>

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

namespace tessel {

namespace {
// The four low bits of a system command are the system's own. 0x0010 is the identifier a
// framework-made dialog gives an "About" entry of its system menu; this dialog has no such
// entry, and a command of that identifier (sent by another process, say) does nothing
// rather than reach the default handling.
constexpr UINT kSystemCommandMask = 0xFFF0;
constexpr UINT kInertSystemCommand = 0x0010;

// A secret of this run for the program's own pages: 128 random bits as hex.
WideString NewCommandKey() {
    GUID guid{};
    if (FAILED(::CoCreateGuid(&guid))) return {};  // no key: no page command is obeyed
    wchar_t text[40] = {};
    std::swprintf(text, 40, L"%08lx%04x%04x%02x%02x%02x%02x%02x%02x%02x%02x", guid.Data1, guid.Data2, guid.Data3,
                  guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return FromW(text);
}

BOOL CALLBACK CloseOwnedBox(HWND window, LPARAM owner) {
    wchar_t cls[16] = {};
    ::GetClassNameW(window, cls, 16);
    if (::GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) && std::wcscmp(cls, L"#32770") == 0)
        ::EndDialog(window, IDOK);
    return TRUE;
}

}  // namespace

CTesselDlg::CTesselDlg(HWND parent)
    : ModalDialog(IDD_TESSEL_DIALOG, parent),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_rules(NewCommandKey()) {}

// A delivery still going ends its run first.
CTesselDlg::~CTesselDlg() { SetSitePolicy(nullptr); }

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
    m_rules.Take({Arrival::Kind::Ended});
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
    m_page.ReadScale();
    const WindowSize size = ScaleToDpi(ChooseWindowSize(m_params), WindowDpi(hwnd));
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
    m_sitePolicy.SetMenuWords(std::move(menu));
    SetSitePolicy(&m_sitePolicy);
    ::SetWindowTextW(GetSafeHwnd(), W(m_words["connectingTitle"]));
}

void CTesselDlg::ShowStartPage() {
    const auto url = BuildStartPageUrl(ModulePath());
    if (!url) return;  // no folder to point into: nothing sensible to show
    Trace(lines::kNavigateStartPage + *url);
    TRACE_IF_FAILED(Browser().Navigate(*url));
}

MessageResult CTesselDlg::OnTimer(WPARAM id, LPARAM) {
    const Arrival::Kind kind = id == kStartTimer ? Arrival::Kind::StartTimer : Arrival::Kind::OtherTimer;
    const Answer answer = Take({kind, kMainWindow, Latin1ToWide(std::to_string(id))});
    if (!answer.Has(Action::StartRun)) return 0;
    return std::nullopt;  // then the default handling, as for any timer message
}

MessageResult CTesselDlg::OnClose(WPARAM, LPARAM) {
    Take({Arrival::Kind::Close});
    return 0;
}

// The result is safe on the server until the DELETE: nothing needs to hold the session up.
MessageResult CTesselDlg::OnQueryEndSession(WPARAM, LPARAM) { return TRUE; }

// Once this returns the process may be ended at any moment: curl and its working files go
// before it does; nothing is deleted on the server.
MessageResult CTesselDlg::OnEndSession(WPARAM ending, LPARAM) {
    if (ending) Take({Arrival::Kind::EndSession});
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
    Take({Arrival::Kind::NavigationRequest, kMainWindow, *url});
    return TRUE;  // answered at once, whatever the run does with it
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

MessageResult CTesselDlg::OnSize(WPARAM, LPARAM size) {
    m_page.FitControl(size);
    return 0;
}

// Moved to a monitor of another scale (or the scale changed): the window keeps its physical
// size there, and the page follows the new scale.
MessageResult CTesselDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    m_page.FollowScale(wParam, lParam);
    return 0;
}

MessageResult CTesselDlg::OnSysCommand(WPARAM id, LPARAM) {
    if ((id & kSystemCommandMask) == kInertSystemCommand) return 0;
    return std::nullopt;  // move, size, minimise, close and the rest: the default handling
}

void CTesselDlg::OnBeforeNavigate2(const BrowserEvent& event) {
    OnPageEvent(m_page, Arrival::Kind::BeforeNavigate, event);
}
void CTesselDlg::OnDownloadComplete(const BrowserEvent& event) {
    OnPageEvent(m_page, Arrival::Kind::DownloadComplete, event);
}
void CTesselDlg::OnDownloadsSettled(UINT) { OnPageEvent(m_page, Arrival::Kind::DownloadComplete, {}); }
void CTesselDlg::OnDocumentComplete(const BrowserEvent& event) {
    OnPageEvent(m_page, Arrival::Kind::DocumentComplete, event);
}
void CTesselDlg::OnNavigateError(const BrowserEvent& event) {
    OnPageEvent(m_page, Arrival::Kind::NavigateError, event);
}
void CTesselDlg::OnNewWindow3(const BrowserEvent& event) { OnPageEvent(m_page, Arrival::Kind::NewWindow, event); }
void CTesselDlg::OnWindowClosing(const BrowserEvent& event) { m_page.OnWindowClosing(event); }
bool CTesselDlg::RefusesSecurityProblem(UINT, unsigned long problem) { return RefusesSecurityProblem(m_page, problem); }

// An event as the rules take it: what its frame is, and whose document the main window
// shows, are read now, while the frame is still there.
void CTesselDlg::OnPageEvent(PageWindow& window, Arrival::Kind kind, const BrowserEvent& event) {
    Arrival arrival{kind, window.Id(), event.url, event.status};
    arrival.topLevel = window.Browser().IsTopLevel(event.frame);
    // Asked only of a command: the location and the module path are not every navigation's.
    arrival.ownDocument = window.Id() == kMainWindow && kind == Arrival::Kind::BeforeNavigate &&
                          PageCommandOf(event.url) != PageCommand::None &&
                          IsOwnPageAddress(Browser().GetLocationURL(), ModulePath());
    Take(arrival, &event);
}

bool CTesselDlg::RefusesSecurityProblem(PageWindow& window, unsigned long problem) {
    return Take({Arrival::Kind::SecurityProblem, window.Id(), {}, static_cast<long>(problem)}).cancel;
}

void CTesselDlg::OnPageWindowGone(PageWindow& window) {
    for (auto it = m_popups.begin(); it != m_popups.end(); ++it)
        if (it->get() == &window) return void(m_popups.erase(it));
}

PageWindow* CTesselDlg::PageOf(PageWindowId id) {
    if (id == kMainWindow) return &m_page;
    for (const auto& popup : m_popups)
        if (popup->Id() == id) return popup.get();
    return nullptr;  // closed meanwhile
}

Answer CTesselDlg::Take(const Arrival& arrival, const BrowserEvent* event) {
    const Answer answer = m_rules.Take(arrival);
    for (const WideString& line : answer.trace) Trace(line);
    if (answer.cancel && event && event->cancel) *event->cancel = VARIANT_TRUE;
    for (const Action action : answer.actions) CarryOut(action, arrival, answer, event);
    return answer;
}

void CTesselDlg::CarryOut(Action action, const Arrival& arrival, const Answer& answer, const BrowserEvent* event) {
    switch (action) {
    case Action::StartRun:
        // The document read and the login: under way since the window was made, at the start;
        // again on request.
        ::KillTimer(GetSafeHwnd(), kStartTimer);
        if (!m_start) m_start = std::make_unique<StartSequence>(m_params);
        WaitFor(m_start->Ready(), [this] { Take({Arrival::Kind::LoginOver}); });
        return;
    case Action::OpenViewer: {
        const std::unique_ptr<StartSequence> start = std::move(m_start);
        const LoginOutcome login = start->OpenViewer(Browser());
        if (HWND control = m_browser.GetSafeHwnd()) ::UpdateWindow(control);
        Arrival asked{Arrival::Kind::ViewerAsked};
        asked.viewerAsked = login.kind != LoginOutcome::Kind::HttpLayerError;
        asked.status = static_cast<long>(login.error);
        Take(asked);
        return;
    }
    case Action::ShowLoginError:
        ShowLoginError(static_cast<DWORD>(arrival.status));
        Take({Arrival::Kind::LoginErrorShown});
        return;
    case Action::ReplayHeld:
        while (const auto held = m_rules.NextHeld()) Take(*held);
        return;
    case Action::AbandonStart:
        CancelWait();
        if (m_start) {
            Trace(lines::kLoginAbandoned);
            m_start->Abandon();  // the viewer is never asked for
        }
        if (m_showingError)
            ::EnumThreadWindows(::GetCurrentThreadId(), &CloseOwnedBox, reinterpret_cast<LPARAM>(GetSafeHwnd()));
        return;
    case Action::Navigate:
        TRACE_IF_FAILED(Browser().Navigate(arrival.url));
        return;
    case Action::Close:
        ::SendMessageW(GetSafeHwnd(), WM_CLOSE, 0, 0);
        return;
    case Action::CheckForResult:
        if (PageWindow* page = PageOf(arrival.window)) {
            if (auto location = ResultLocation(page->Browser())) {
                m_resultLocation = std::move(*location);
                Take({Arrival::Kind::ResultReached});
            }
        }
        return;
    case Action::ShowDocument:
        if (PageWindow* page = PageOf(arrival.window)) page->ShowDocument();
        return;
    case Action::PostDeliver:
        ::PostMessageW(GetSafeHwnd(), kDeliverResultMessage, 0, 0);
        return;
    case Action::StartDelivery: {
        const auto output = m_params.Value(keys::kOutputPath);
        DeliveryRequest request{InstalledCurlPath(), std::move(m_resultLocation),
                                output ? std::optional<WideString>(Utf8ToWide(CutAtNul(*output))) : std::nullopt,
                                std::string(m_params.Value(keys::kURL).value_or(""))};
        m_delivery = std::make_unique<ResultDelivery>(std::move(request));
        ContinueDelivery();
        return;
    }
    case Action::CancelDelivery:
        // curl ends at once; the delivery's own status stands.
        CancelWait();
        m_delivery->Cancel();
        ContinueDelivery();
        return;
    case Action::FinishFileWork:
        FinishFileWork();
        return;
    case Action::PostUnreachable:
        // In the system's own words where it has them (they are in its display language).
        m_unreachable = answer.certificateProblem
                            ? SystemMessage(answer.certificateProblem, L"wininet.dll")
                            : SystemMessage(static_cast<unsigned long>(arrival.status), L"urlmon.dll");
        if (m_unreachable.empty()) m_unreachable = m_words[answer.reason];
        ::PostMessageW(GetSafeHwnd(), kShowUnreachableMessage, 0, 0);
        return;
    case Action::NavigateUnreachable: {
        const WideString reason = std::exchange(m_unreachable, {});
        if (reason.empty()) return;
        const auto url = BuildUnreachablePageUrl(ModulePath(), reason, Latin1ToWide(m_words.tag), CommandKey());
        if (!url) return;
        Trace(lines::kNavigateUnreachable + *url);
        TRACE_IF_FAILED(Browser().Navigate(*url));
        return;
    }
    case Action::OpenWindow:
        if (event) OpenWindow(*event);
        return;
    case Action::EndNormal:
        return End(ExitStatus::Normal);
    case Action::EndNotDelivered:
        return End(ExitStatus::NotDelivered);
    }
}

// The one message the program shows: an HTTP-layer error the login did not absorb. Its
// box runs a loop of its own; a close or the end of the session meanwhile ends it.
void CTesselDlg::ShowLoginError(DWORD error) {
    WideString text = SystemMessage(error, L"wininet.dll");
    if (text.empty()) text = m_words["internalError"];
    m_showingError = true;
    ::MessageBoxW(GetSafeHwnd(), W(text), W(ModuleStem()), MB_OK | MB_ICONSTOP);
    m_showingError = false;
}

MessageResult CTesselDlg::OnDeliverResult(WPARAM, LPARAM) {
    Take({Arrival::Kind::Deliver});
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

// File work cannot be cut short: it is waited for here, within a bound, and the result it
// moved into place stays on the server.
void CTesselDlg::FinishFileWork() {
    CancelWait();
    const ULONGLONG until = ::GetTickCount64() + 5000;
    while (HANDLE pending = m_delivery->Pending()) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= until || ::WaitForSingleObject(pending, static_cast<DWORD>(until - now)) != WAIT_OBJECT_0) break;
        m_delivery->Resume();
    }
    End(ExitStatusOf(m_delivery->Outcome()));
}

MessageResult CTesselDlg::OnShowUnreachable(WPARAM, LPARAM) {
    Take({Arrival::Kind::ShowUnreachable});
    return 0;
}

// A window the page opens stays in this program and its session: a popup of ours with a
// control of its own, handed back to the page (window.opener, named targets and POSTs keep
// working). Its exit words and its result act as the main page's.
void CTesselDlg::OpenWindow(const BrowserEvent& event) {
    const auto refuse = [&event] {
        if (event.cancel) *event.cancel = VARIANT_TRUE;
    };
    if (!event.window) return refuse();
    PageWindow* popup = PageWindow::Open(GetSafeHwnd(), *this, ++m_lastPopupId, static_cast<int>(m_popups.size()));
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
