// The rules of a run, in one place: what each thing that arrives (a window message, a browser
// event, the host's request, the program's own steps) does in each phase of the run. The
// dialog turns messages and events into arrivals and carries out the answers; it decides
// nothing itself. Held arrivals keep what they need (the frame's standing included), so they
// mean the same when they are replayed.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"

namespace tessel {

enum class Phase {
    Opening,     // the window is up, the login under way, the start timer armed
    LoggingIn,   // the login runs (and its error is shown, if any)
    Browsing,    // the viewer page is the user's
    Delivering,  // a result was reached: its delivery is starting or running
    Ending,      // the dialog ends at the loop's next turn
};

// Which window a page event came from: 0 the main window, else a popup's number.
using PageWindowId = int;
inline constexpr PageWindowId kMainWindow = 0;

struct Arrival {
    enum class Kind {
        StartTimer,         // the dialog's own timer
        OtherTimer,         // a WM_TIMER of any other id, from anywhere
        Close,              // close button, Alt+F4, WM_CLOSE
        EndSession,         // the user's session ends (WM_ENDSESSION)
        NavigationRequest,  // WM_COPYDATA from the host: `url`
        BeforeNavigate,     // `url`, `topLevel`, `ownDocument`
        DownloadComplete,   // or the control's report that its downloads settled
        DocumentComplete,   // `topLevel`
        NavigateError,      // `url`, `status`, `topLevel`
        SecurityProblem,    // `status`: the HTTP layer's problem with one of the page's requests
        NewWindow,          // the page opens a window: now or never
        LoginOver,          // the document is read and the login has ended
        ViewerAsked,        // `viewerAsked` unless the login's error (`status`) stopped it
        LoginErrorShown,    // the login error's message box was closed
        ResultReached,      // a check found the result document
        Deliver,            // the loop's turn to start the delivery
        ShowUnreachable,    // the loop's turn to show the program's page
        Ended,              // the dialog ends (its delivery done, its start refused)
    };
    Kind kind;
    PageWindowId window = kMainWindow;
    WideString url;
    long status = 0;
    // The event's frame is the window's top-level document (taken when the event came: a
    // held event's frame is gone by its replay).
    bool topLevel = false;
    // The main window's document is one of the program's own pages.
    bool ownDocument = false;
    bool viewerAsked = false;
};

enum class Action {
    StartRun,          // read the document, log in (again)
    OpenViewer,        // ask for the viewer page, with the document
    ShowLoginError,    // the HTTP layer's error the login did not absorb, in a message box
    ReplayHeld,        // take what NextHeld gives, in order
    AbandonStart,      // cut the login off; close the login error's box if it is up
    Navigate,          // the main window to `url`
    Close,             // close as the close button does
    CheckForResult,    // the arrival's window: is its document the result?
    ShowDocument,      // the arrival's window: zoom and caption for its new document
    PostDeliver,       // the delivery starts at the loop's next turn
    StartDelivery,
    CancelDelivery,    // curl is ended; the delivery finishes with its own outcome
    FinishFileWork,    // the session ends: file work under way is waited for, within a bound
    PostUnreachable,   // the program's page at the loop's next turn, for `reason`
    NavigateUnreachable,
    OpenWindow,
    EndNormal,
    EndNotDelivered,
};

struct Answer {
    std::vector<Action> actions;
    bool cancel = false;  // the control's navigation, error page or new window is cancelled
    bool held = false;    // kept, in order, for after the viewer request
    std::vector<WideString> trace;
    // PostUnreachable: the key of the words that say why; the HTTP layer's problem, if that
    // was the reason (its own text, where it has one, says it better).
    std::string reason;
    unsigned long certificateProblem = 0;
    bool Has(Action action) const;
};

class RunRules {
public:
    // `commandKey`: the secret the program's own pages add to their commands; a command
    // without it came from someone else's page.
    explicit RunRules(WideString commandKey) : m_commandKey(std::move(commandKey)) {}

    Answer Take(const Arrival& arrival);
    // After LoginDone: the arrivals held meanwhile, one at a time (each is decided by the
    // phase it meets then, so a result reached among them ends what the later ones may do).
    std::optional<Arrival> NextHeld();

    Phase CurrentPhase() const { return m_phase; }
    const WideString& CommandKey() const { return m_commandKey; }

private:
    Answer Stop(Answer answer);
    Answer Hold(const Arrival& arrival, Answer answer = {});
    Answer BrowseOn();
    Answer Command(WideView url, bool obeyed);
    Answer Navigation(const Arrival& arrival);
    Answer NavigateError(const Arrival& arrival);

    WideString m_commandKey;
    Phase m_phase = Phase::Opening;
    struct Held {
        Arrival arrival;
        bool beforeViewer;  // came before the viewer was asked: about an earlier page
    };
    std::deque<Held> m_held;
    bool m_nextIsEarlier = false;  // the arrival NextHeld gave came before the viewer was asked
    bool m_earlier = false;        // ... and it is the one being decided
    bool m_askingViewer = false;         // between the login's end and the viewer's request
    bool m_startPageShown = false;       // once: going back there is refused
    bool m_viewerOutstanding = false;    // the viewer request is the top-level navigation
    bool m_viewerNavigationSeen = false; // its own BeforeNavigate has come
    unsigned long m_certificateProblem = 0;  // refused for the viewer request
    bool m_deliveryStarted = false;
};

}  // namespace tessel
