// The run's phases, and what each thing that can arrive does in each of them: the one place
// that decides it.
#pragma once

namespace tessel {

enum class Phase {
    Opening,     // the window is up, the login under way, the start timer armed
    LoggingIn,   // the login runs (and its error is shown, if any)
    Browsing,    // the viewer page is the user's
    Delivering,  // a result was reached: its delivery is starting or running
    Ending,      // the dialog ends at the loop's next turn
};

enum class Arrival {
    StartTimer,         // the dialog's own timer
    OtherTimer,         // a WM_TIMER of any other id, from anywhere
    Close,              // close button, Alt+F4, WM_CLOSE, an exit word
    EndSession,         // the user's session ends (WM_ENDSESSION)
    NavigationRequest,  // WM_COPYDATA from the host
    BeforeNavigate,
    DownloadComplete,
    DocumentComplete,
    NavigateError,
    NewWindow,  // the page opens a window: now or never
    // The program's own steps, posted to itself or asked for by its page or the host:
    Retry,            // the document, the login and the viewer request again
    ShowUnreachable,  // the program's page for an unreachable server
    Deliver,          // the result's delivery starts
};

enum class Effect {
    Act,   // handled now
    Hold,  // handled, in order, once the viewer has been asked for
    Drop,  // no effect
};

Effect Decide(Phase phase, Arrival arrival);

}  // namespace tessel
