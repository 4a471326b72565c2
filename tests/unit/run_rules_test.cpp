// Runs as sequences of arrivals, and the actions they give.
#include <gtest/gtest.h>

#include "app/run_rules.h"

using namespace tessel;
using K = Arrival::Kind;

namespace {
constexpr char16_t kKey[] = u"5eed";
constexpr char16_t kViewer[] = u"http://127.0.0.1/wt4/viewer";
constexpr long kRefused = static_cast<long>(0x800C0004);  // INET_E_CANNOT_CONNECT

Arrival Page(K kind, WideString url = {}, bool topLevel = true, PageWindowId window = kMainWindow) {
    Arrival a{kind, window, std::move(url)};
    a.topLevel = topLevel;
    return a;
}
Arrival Error(bool topLevel) {
    Arrival a = Page(K::NavigateError, kViewer, topLevel);
    a.status = kRefused;
    return a;
}
Arrival Own(WideString command) {
    Arrival a = Page(K::BeforeNavigate, std::move(command));
    a.ownDocument = true;
    return a;
}
Arrival Asked(bool asked) {
    Arrival a{K::ViewerAsked};
    a.viewerAsked = asked;
    return a;
}

struct Scenario {
    RunRules rules{kKey};
    std::vector<Action> replayed;  // what the held arrivals gave
    Answer Take(const Arrival& a) {
        Answer answer = rules.Take(a);
        if (answer.Has(Action::ReplayHeld))
            while (auto held = rules.NextHeld()) {
                const Answer r = rules.Take(*held);
                replayed.insert(replayed.end(), r.actions.begin(), r.actions.end());
            }
        return answer;
    }
    // Up to the viewer request: `meanwhile` arrives during the login, `during` while the
    // viewer is being asked for.
    void Login(const std::vector<Arrival>& meanwhile = {}, const std::vector<Arrival>& during = {}) {
        EXPECT_TRUE(Take({K::StartTimer}).Has(Action::StartRun));
        for (const Arrival& a : meanwhile) EXPECT_TRUE(Take(a).held);
        EXPECT_TRUE(Take({K::LoginOver}).Has(Action::OpenViewer));
        for (const Arrival& a : during) EXPECT_TRUE(Take(a).held);
        Take(Asked(true));
        EXPECT_EQ(rules.CurrentPhase(), Phase::Browsing);
    }
    bool Unreachable(const Arrival& a) { return Take(a).Has(Action::PostUnreachable); }
};
}  // namespace

TEST(RunRules, TheStartRunsOnceAndACloseEndsWhateverRuns) {
    Scenario run;
    EXPECT_TRUE(run.Take({K::OtherTimer, kMainWindow, u"7"}).actions.empty()) << "a stray timer starts nothing";
    EXPECT_TRUE(run.Take({K::StartTimer}).Has(Action::StartRun));
    EXPECT_FALSE(run.Take({K::StartTimer}).Has(Action::StartRun)) << "once";
    const Answer close = run.Take({K::Close});
    EXPECT_EQ(close.actions, (std::vector<Action>{Action::AbandonStart, Action::EndNormal}));
    EXPECT_TRUE(run.Take({K::LoginOver}).actions.empty()) << "an abandoned login opens no viewer";
    EXPECT_TRUE(run.Take({K::NewWindow}).cancel) << "nor any window";
    EXPECT_TRUE(run.Take({K::SecurityProblem, kMainWindow, {}, 12045}).cancel) << "nor any certificate";

    Scenario opening;  // before the start timer: the start page's, and a close abandons the start
    EXPECT_TRUE(opening.Take({K::NewWindow}).Has(Action::OpenWindow));
    EXPECT_TRUE(opening.Take({K::NavigationRequest, kMainWindow, u"http://127.0.0.1/x"}).held);
    const Arrival start = Page(K::BeforeNavigate, u"file:///c:/t/html/progress.html");
    const Answer shownOnce = opening.Take(start);
    EXPECT_FALSE(shownOnce.held || shownOnce.cancel);
    EXPECT_TRUE(opening.Take(start).cancel) << "never again";
    for (const Arrival& early : {Arrival{K::LoginOver}, Asked(true), Arrival{K::LoginErrorShown}})
        EXPECT_TRUE(opening.Take(early).actions.empty());
    EXPECT_TRUE(opening.Take(Page(K::DownloadComplete)).Has(Action::CheckForResult));
    EXPECT_TRUE(opening.Take({K::ResultReached}).Has(Action::PostDeliver));
    EXPECT_EQ(opening.Take({K::EndSession}).actions, std::vector<Action>{Action::EndNotDelivered});
    EXPECT_EQ(Scenario().Take({K::Close}).actions, (std::vector<Action>{Action::AbandonStart, Action::EndNormal}));

    Scenario shown;  // a close while the login's error is shown closes its box too
    EXPECT_TRUE(shown.Take({K::StartTimer}).Has(Action::StartRun));
    shown.Take({K::LoginOver});
    EXPECT_TRUE(shown.Take(Asked(false)).Has(Action::ShowLoginError));
    EXPECT_TRUE(shown.Take({K::Close}).Has(Action::AbandonStart));
    EXPECT_TRUE(shown.Take({K::LoginErrorShown}).actions.empty()) << "nothing is replayed into an ended run";

    Scenario failed;  // its box closed: the page is the user's, with no viewer request out
    failed.Take({K::StartTimer});
    EXPECT_TRUE(failed.Take(Page(K::DownloadComplete)).held);
    failed.Take({K::LoginOver});
    failed.Take(Asked(false));
    EXPECT_TRUE(failed.Take({K::LoginErrorShown}).Has(Action::ReplayHeld));
    EXPECT_EQ(failed.replayed, std::vector<Action>{Action::CheckForResult});
    EXPECT_FALSE(failed.Unreachable(Error(true)));
    for (const Arrival& late : {Arrival{K::LoginOver}, Asked(true), Arrival{K::LoginErrorShown}, Arrival{K::Deliver}})
        EXPECT_TRUE(failed.Take(late).actions.empty());
    EXPECT_EQ(failed.Take({K::EndSession}).actions, std::vector<Action>{Action::EndNormal});
    EXPECT_EQ(failed.rules.CurrentPhase(), Phase::Ending);
}

// Events held during the login are about the start page, or the viewer request's own: each
// means after the replay what it meant when it came.
TEST(RunRules, HeldEventsKeepTheirMeaningForTheViewerRequest) {
    Scenario run;
    const Arrival request{K::NavigationRequest, kMainWindow, u"http://127.0.0.1/elsewhere"};
    run.Login({Page(K::DocumentComplete, u"file:///c:/t/html/progress.html"), request},
              {Page(K::BeforeNavigate, kViewer), Page(K::DocumentComplete, u"about:blank", false)});
    EXPECT_EQ(run.replayed, (std::vector<Action>{Action::ShowDocument, Action::Navigate}))
        << "the start page's document shows; the host's request comes after the viewer request";
    // The host's request took the viewer request's place: its failure is the control's.
    EXPECT_FALSE(run.Unreachable(Error(true)));

    Scenario quiet;
    quiet.Login({Page(K::DocumentComplete, u"file:///c:/t/html/progress.html"), Error(true)},
                {Page(K::BeforeNavigate, kViewer), Page(K::DocumentComplete, u"about:blank", false)});
    EXPECT_EQ(quiet.replayed, std::vector<Action>{Action::ShowDocument}) << "an earlier page's failure";
    EXPECT_FALSE(quiet.Unreachable(Error(false))) << "a frame's failure keeps the control's page";
    // A popup's or a frame's navigation, document, failure or certificate, and the server's own
    // answer, leave the viewer request outstanding.
    quiet.Take(Page(K::BeforeNavigate, u"http://x/f", false));
    quiet.Take(Page(K::BeforeNavigate, u"http://x/p", true, 2));
    EXPECT_TRUE(quiet.Take(Page(K::DocumentComplete, u"http://x/p", true, 2)).Has(Action::ShowDocument));
    Arrival popupError = Error(true);
    popupError.window = 2;
    EXPECT_FALSE(quiet.Unreachable(popupError));
    EXPECT_TRUE(quiet.Take({K::SecurityProblem, 2, {}, 12045}).cancel);
    Arrival served = Error(true);
    served.status = 404;
    EXPECT_FALSE(quiet.Unreachable(served));
    const Answer failed = quiet.Take(Error(true));
    EXPECT_TRUE(failed.Has(Action::PostUnreachable) && failed.cancel)
        << "neither the start page's document nor a frame's answered the viewer request";
    EXPECT_EQ(failed.reason, "reasonRefused");
    EXPECT_FALSE(quiet.Unreachable(Error(true))) << "once";
    EXPECT_TRUE(quiet.Take({K::ShowUnreachable}).Has(Action::NavigateUnreachable));
    // Its "Try again": the next viewer request is the outstanding one again.
    EXPECT_TRUE(quiet.Take(Own(u"tessel:retry?key=5eed")).Has(Action::StartRun));
    EXPECT_TRUE(quiet.Take({K::ShowUnreachable}).actions.empty());
    quiet.Take({K::LoginOver});
    EXPECT_TRUE(quiet.Take(Page(K::BeforeNavigate, kViewer)).held);
    quiet.Take(Asked(true));
    EXPECT_TRUE(quiet.Unreachable(Error(true)));

    Scenario answered;  // the viewer's own document arrived: later failures are the page's
    answered.Login({}, {Page(K::BeforeNavigate, kViewer)});
    answered.Take(Page(K::DocumentComplete, kViewer));
    EXPECT_FALSE(answered.Unreachable(Error(true)));
    EXPECT_EQ(answered.Take({K::EndSession}).actions, std::vector<Action>{Action::EndNormal});

    Scenario moved;  // the user went on before it failed: the next page's failure is the control's
    moved.Login({}, {Page(K::BeforeNavigate, kViewer)});
    moved.Take(Page(K::BeforeNavigate, u"http://127.0.0.1/wt4/next"));
    EXPECT_FALSE(moved.Unreachable(Error(true)));

    Scenario refused;  // a certificate refused for the viewer request is the reason
    refused.Login({}, {Page(K::BeforeNavigate, kViewer)});
    EXPECT_FALSE(refused.Take({K::SecurityProblem, kMainWindow, {}, 12031}).cancel) << "not a certificate's";
    EXPECT_TRUE(refused.Take({K::SecurityProblem, kMainWindow, {}, 12045}).cancel);
    const Answer why = refused.Take(Error(true));
    EXPECT_EQ(why.reason, "reasonCertificate");
    EXPECT_EQ(why.certificateProblem, 12045u);

    Scenario asking;  // refused while the viewer was being asked for
    asking.Take({K::StartTimer});
    asking.Take({K::LoginOver});
    EXPECT_TRUE(asking.Take({K::SecurityProblem, kMainWindow, {}, 12045}).cancel);
    asking.Take(Asked(true));
    EXPECT_EQ(asking.Take(Error(true)).certificateProblem, 12045u);
}

TEST(RunRules, CommandsAreObeyedOnlyFromTheProgramsOwnPage) {
    const auto command = [](WideString url, bool ownDocument, bool topLevel = true, PageWindowId window = 0) {
        Scenario run;
        run.Login();
        Arrival a = Page(K::BeforeNavigate, std::move(url), topLevel, window);
        a.ownDocument = ownDocument;
        const Answer answer = run.Take(a);
        EXPECT_TRUE(answer.cancel) << "a command address is never loaded";
        return answer.Has(Action::StartRun);
    };
    EXPECT_TRUE(command(u"tessel:retry?key=5eed", true));
    EXPECT_FALSE(command(u"tessel:retry", true)) << "without the page's key";
    EXPECT_FALSE(command(u"tessel:retry?key=5eee", true));
    EXPECT_FALSE(command(u"tessel:retry?key=5eed", false)) << "the server's page shown";
    EXPECT_FALSE(command(u"tessel:retry?key=5eed", true, false)) << "a frame's";
    EXPECT_FALSE(command(u"tessel:retry?key=5eed", true, true, 3)) << "a popup's";

    Scenario run;
    run.Login();
    EXPECT_EQ(run.Take(Own(u"tessel:close?key=5eed")).actions, std::vector<Action>{Action::Close});
    EXPECT_EQ(run.Take({K::NavigationRequest, kMainWindow, u"tessel:close"}).actions, std::vector<Action>{Action::Close});
    EXPECT_TRUE(run.Take({K::NavigationRequest, kMainWindow, u"tessel:retry"}).Has(Action::StartRun))
        << "the host's request";
    EXPECT_EQ(run.rules.CurrentPhase(), Phase::LoggingIn);
    EXPECT_TRUE(run.Take(Page(K::BeforeNavigate, u"http://x/?LogoutAndExit")).held);
    EXPECT_TRUE(run.Take(Page(K::DocumentComplete, u"http://x/p", true, 2)).Has(Action::ShowDocument)) << "a popup's";
    for (const Arrival& stray : {Arrival{K::ResultReached}, Arrival{K::Deliver}, Arrival{K::ShowUnreachable}})
        EXPECT_TRUE(run.Take(stray).actions.empty());
}

TEST(RunRules, OneDeliveryEndsTheRun) {
    Scenario run;
    const Arrival request{K::NavigationRequest, kMainWindow, u"http://127.0.0.1/next"};
    run.Login({Page(K::DownloadComplete, {}, false, 2), request});
    EXPECT_EQ(run.replayed, (std::vector<Action>{Action::CheckForResult, Action::Navigate}));
    EXPECT_TRUE(run.Take({K::ResultReached}).Has(Action::PostDeliver));
    EXPECT_TRUE(run.Take({K::ResultReached}).actions.empty());
    EXPECT_TRUE(run.Take(request).actions.empty()) << "no navigation during a delivery";
    EXPECT_TRUE(run.Take(Own(u"tessel:retry?key=5eed")).actions.empty()) << "nor a retry";
    EXPECT_TRUE(run.Take(Page(K::DownloadComplete)).actions.empty()) << "one delivery per run";
    EXPECT_TRUE(run.Take({K::NewWindow}).cancel);
    EXPECT_TRUE(run.Take(Page(K::BeforeNavigate, u"http://x/?LogoutAndExit")).Has(Action::Close))
        << "an exit word still closes";
    EXPECT_TRUE(run.Take({K::Deliver}).Has(Action::StartDelivery));
    EXPECT_TRUE(run.Take({K::Deliver}).actions.empty());
    EXPECT_EQ(run.Take({K::Close}).actions, std::vector<Action>{Action::CancelDelivery});
    EXPECT_EQ(run.Take({K::EndSession}).actions, (std::vector<Action>{Action::CancelDelivery, Action::FinishFileWork}));
    run.Take({K::Ended});
    EXPECT_TRUE(run.Take({K::Close}).actions.empty()) << "the delivery's end ends the run";

    Scenario early;  // closed before its delivery started: the result stays on the server
    early.Login();
    early.Take({K::ResultReached});
    EXPECT_FALSE(early.Unreachable(Error(true))) << "the viewer's failure while delivering";
    EXPECT_TRUE(early.Take({K::ShowUnreachable}).actions.empty());
    EXPECT_EQ(early.Take({K::Close}).actions, std::vector<Action>{Action::EndNotDelivered});
    EXPECT_TRUE(early.Take({K::Deliver}).actions.empty());
}
