#include "app/run_rules.h"

#include <algorithm>
#include <string>
#include <utility>

#include "app/local_pages.h"
#include "base/trace_lines.h"
#include "page/page_events.h"
#include "page/page_trust.h"

namespace tessel {

bool Answer::Has(Action action) const {
    return std::find(actions.begin(), actions.end(), action) != actions.end();
}

namespace {
Answer Do(Action action) {
    Answer answer;
    answer.actions.push_back(action);
    return answer;
}
Answer Note(WideString line) {
    Answer answer;
    answer.trace.push_back(std::move(line));
    return answer;
}
}  // namespace

Answer RunRules::Hold(const Arrival& arrival, Answer answer) {
    m_held.push_back({arrival, !m_askingViewer});
    answer.held = true;
    return answer;
}

std::optional<Arrival> RunRules::NextHeld() {
    m_nextIsEarlier = false;
    if (m_held.empty() || m_phase == Phase::LoggingIn || m_phase == Phase::Opening) return std::nullopt;
    Held next = std::move(m_held.front());
    m_held.pop_front();
    m_nextIsEarlier = next.beforeViewer;
    return std::move(next.arrival);
}

// The login's outcome is known and its error, if any, dealt with: the page is the user's,
// and what waited for the viewer request comes now.
Answer RunRules::BrowseOn() {
    m_phase = Phase::Browsing;
    return Do(Action::ReplayHeld);
}

Answer RunRules::Stop(Answer answer) {
    switch (m_phase) {
    case Phase::Opening:
    case Phase::LoggingIn:
        m_phase = Phase::Ending;
        answer.actions.push_back(Action::AbandonStart);
        answer.actions.push_back(Action::EndNormal);
        break;
    case Phase::Delivering:
        if (!m_deliveryStarted) {
            m_phase = Phase::Ending;
            answer.trace.push_back(lines::kResultNotStarted);
            answer.actions.push_back(Action::EndNotDelivered);
        } else {
            // The delivery's own outcome stands; it ends the run.
            answer.actions.push_back(Action::CancelDelivery);
        }
        break;
    default:
        m_phase = Phase::Ending;
        answer.actions.push_back(Action::EndNormal);
        break;
    }
    return answer;
}

Answer RunRules::Command(WideView url, bool obeyed) {
    const PageCommand command = PageCommandOf(url);
    if (!obeyed) return Note(lines::kPageCommandIgnored + WideString(url));
    if (command == PageCommand::Close) return Do(Action::Close);
    if (m_phase != Phase::Browsing) return {};  // a retry only while the page is the user's
    m_phase = Phase::LoggingIn;
    Answer answer = Do(Action::StartRun);
    answer.trace.push_back(lines::kRetry);
    return answer;
}

Answer RunRules::Navigation(const Arrival& arrival) {
    Answer answer = Note(lines::kBeforeNavigate + arrival.url);
    const bool main = arrival.window == kMainWindow;
    // The viewer request's own navigation comes first; any other top-level one then takes
    // its place. Events from before the viewer was asked are about an earlier page.
    if (main && arrival.topLevel && !m_earlier && m_viewerOutstanding &&
        std::exchange(m_viewerNavigationSeen, true))
        m_viewerOutstanding = false;
    // The program's own addresses are never loaded; back to the start page (Backspace, the
    // history) would wait there forever.
    const bool isCommand = PageCommandOf(arrival.url) != PageCommand::None;
    const bool back = IsStartPageAddress(arrival.url) && std::exchange(m_startPageShown, true);
    answer.cancel = isCommand || back;
    if (back) answer.trace.push_back(lines::kBackToStartPage);
    if (isCommand) {
        // Obeyed only from a navigation of the program's own page: the main window's top-level
        // document is ours, and the command carries the key only that page was given.
        const bool fromOwnPage = main && arrival.topLevel && arrival.ownDocument &&
                                 CarriesCommandKey(arrival.url, m_commandKey);
        Answer command = Command(arrival.url, fromOwnPage);
        answer.actions = std::move(command.actions);
        answer.trace.insert(answer.trace.end(), command.trace.begin(), command.trace.end());
        return answer;
    }
    if (ContainsExitWord(arrival.url)) {
        answer.trace.push_back(lines::kExitWord);
        answer.actions.push_back(Action::Close);
    }
    return answer;
}

// The viewer request could not reach the server: the program's own page, with the reason and
// a way to send the document again, instead of the control's dead end. Frames, later pages
// and the server's own answers keep the control's page.
Answer RunRules::NavigateError(const Arrival& arrival) {
    Answer answer = Note(lines::kNavigateError +
                         Latin1ToWide(std::to_string(static_cast<unsigned long>(arrival.status))) + u" " + arrival.url);
    // A certificate refused for it is the reason, whatever status the control then reports.
    const auto reason =
        m_certificateProblem ? std::optional<std::string>("reasonCertificate") : UnreachableReason(arrival.status);
    const bool ofTheViewerRequest = m_viewerOutstanding && arrival.topLevel && !m_earlier;
    if (!reason || !ofTheViewerRequest) return answer;
    m_viewerOutstanding = false;
    answer.cancel = true;
    answer.reason = *reason;
    answer.certificateProblem = m_certificateProblem;
    answer.actions.push_back(Action::PostUnreachable);
    return answer;
}

Answer RunRules::Take(const Arrival& arrival) {
    using K = Arrival::Kind;
    m_earlier = std::exchange(m_nextIsEarlier, false);
    const bool main = arrival.window == kMainWindow;
    if (m_phase == Phase::Ending) {
        Answer none;
        none.cancel = arrival.kind == K::NewWindow ||
                      (arrival.kind == K::SecurityProblem && IsCertificateProblem(arrival.status));
        return none;
    }
    switch (arrival.kind) {
    case K::OtherTimer:
        return Note(lines::kTimerIgnored + arrival.url);
    case K::StartTimer:
        // Any process may post a timer message: only the dialog's own starts the run, once.
        if (m_phase != Phase::Opening) return Note(lines::kTimerIgnored + arrival.url);
        m_phase = Phase::LoggingIn;
        return Do(Action::StartRun);
    case K::LoginOver:
        if (m_phase != Phase::LoggingIn) return {};
        m_askingViewer = true;
        m_certificateProblem = 0;  // a refusal during the ask is the viewer request's
        return Do(Action::OpenViewer);
    case K::ViewerAsked:
        if (m_phase != Phase::LoggingIn) return {};
        m_askingViewer = false;
        // Its own navigation is the next top-level one.
        m_viewerOutstanding = arrival.viewerAsked;
        m_viewerNavigationSeen = false;
        if (!arrival.viewerAsked) return Do(Action::ShowLoginError);
        return BrowseOn();
    case K::LoginErrorShown:
        return m_phase == Phase::LoggingIn ? BrowseOn() : Answer{};
    case K::Close:
        return Stop(Note(lines::kClose));
    case K::EndSession: {
        const bool delivering = m_phase == Phase::Delivering && m_deliveryStarted;
        Answer answer = Stop(Note(lines::kEndSession));
        // Once the session's end is answered the process may go at any moment: file work
        // cannot be cut short, so it is waited for, within a bound.
        if (delivering) answer.actions.push_back(Action::FinishFileWork);
        return answer;
    }
    case K::NavigationRequest:
        if (m_phase == Phase::Opening || m_phase == Phase::LoggingIn)
            return Hold(arrival, Note(lines::kCopyDataHeld));
        if (m_phase == Phase::Delivering) return Note(lines::kCopyDataDropped);
        if (PageCommandOf(arrival.url) != PageCommand::None) return Command(arrival.url, true);
        m_viewerOutstanding = false;  // the host sends the page elsewhere
        {
            Answer answer = Note(lines::kNavigateCopyData + arrival.url);
            answer.actions.push_back(Action::Navigate);
            return answer;
        }
    case K::BeforeNavigate:
        if (m_phase == Phase::LoggingIn) return Hold(arrival);
        return Navigation(arrival);
    case K::DownloadComplete:
        if (m_phase == Phase::LoggingIn) return Hold(arrival);
        if (m_phase == Phase::Delivering) return {};
        return Do(Action::CheckForResult);
    case K::ResultReached:
        if (m_phase != Phase::Opening && m_phase != Phase::Browsing) return {};
        // From here the run ends with this result's delivery, which the loop starts.
        m_phase = Phase::Delivering;
        return Do(Action::PostDeliver);
    case K::Deliver:
        if (m_phase != Phase::Delivering || m_deliveryStarted) return {};
        m_deliveryStarted = true;
        return Do(Action::StartDelivery);
    case K::Ended:
        m_phase = Phase::Ending;
        return {};
    case K::DocumentComplete:
        if (main && m_phase == Phase::LoggingIn) return Hold(arrival);
        if (!arrival.topLevel) return {};  // a frame's: the caption and zoom are the page's
        // A page arrived: the viewer request is answered, unless this is an earlier page's.
        if (main && !m_earlier) m_viewerOutstanding = false;
        return Do(Action::ShowDocument);
    case K::NavigateError:
        if (m_phase == Phase::LoggingIn) return Hold(arrival);
        if (m_phase == Phase::Delivering || !main) return {};
        return NavigateError(arrival);
    case K::ShowUnreachable:
        return m_phase == Phase::Browsing ? Do(Action::NavigateUnreachable) : Answer{};
    case K::SecurityProblem: {
        // A certificate the HTTP layer cannot trust is never passed, and never asked of the
        // user: the request fails, and for the viewer request the program's page says why.
        Answer answer;
        answer.cancel = IsCertificateProblem(arrival.status);
        if (answer.cancel && main && (m_viewerOutstanding || m_askingViewer))
            m_certificateProblem = static_cast<unsigned long>(arrival.status);
        return answer;
    }
    case K::NewWindow: {
        // The control needs its answer at once; a window opened during a delivery would
        // outlive it.
        if (m_phase == Phase::Delivering) {
            Answer refused;
            refused.cancel = true;
            return refused;
        }
        return Do(Action::OpenWindow);
    }
    }
    return {};
}

}  // namespace tessel
