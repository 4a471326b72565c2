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

    Scenario shown;  // a close while the login's error is shown closes its box too
    EXPECT_TRUE(shown.Take({K::StartTimer}).Has(Action::StartRun));
    shown.Take({K::LoginOver});
    EXPECT_TRUE(shown.Take(Asked(false)).Has(Action::ShowLoginError));
    EXPECT_TRUE(shown.Take({K::Close}).Has(Action::AbandonStart));
    EXPECT_TRUE(shown.Take({K::LoginErrorShown}).actions.empty()) << "nothing is replayed into an ended run";
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
    quiet.Login({Page(K::DocumentComplete, u"file:///c:/t/html/progress.html")},
                {Page(K::BeforeNavigate, kViewer), Page(K::DocumentComplete, u"about:blank", false)});
    EXPECT_FALSE(quiet.Unreachable(Error(false))) << "a frame's failure keeps the control's page";
    const Answer failed = quiet.Take(Error(true));
    EXPECT_TRUE(failed.Has(Action::PostUnreachable) && failed.cancel)
        << "neither the start page's document nor a frame's answered the viewer request";
    EXPECT_EQ(failed.reason, "reasonRefused");
    EXPECT_FALSE(quiet.Unreachable(Error(true))) << "once";
    EXPECT_TRUE(quiet.Take({K::ShowUnreachable}).Has(Action::NavigateUnreachable));

    Scenario answered;  // the viewer's own document arrived: later failures are the page's
    answered.Login({}, {Page(K::BeforeNavigate, kViewer)});
    answered.Take(Page(K::DocumentComplete, kViewer));
    EXPECT_FALSE(answered.Unreachable(Error(true)));

    Scenario refused;  // a certificate refused for the viewer request is the reason
    refused.Login({}, {Page(K::BeforeNavigate, kViewer)});
    EXPECT_FALSE(refused.Take({K::SecurityProblem, kMainWindow, {}, 12031}).cancel) << "not a certificate's";
    EXPECT_TRUE(refused.Take({K::SecurityProblem, kMainWindow, {}, 12045}).cancel);
    const Answer why = refused.Take(Error(true));
    EXPECT_EQ(why.reason, "reasonCertificate");
    EXPECT_EQ(why.certificateProblem, 12045u);
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
    EXPECT_TRUE(run.Take({K::NavigationRequest, kMainWindow, u"tessel:retry"}).Has(Action::StartRun))
        << "the host's request";
    EXPECT_EQ(run.rules.CurrentPhase(), Phase::LoggingIn);
    EXPECT_TRUE(run.Take(Page(K::BeforeNavigate, u"http://x/?LogoutAndExit")).held);
}

TEST(RunRules, OneDeliveryEndsTheRun) {
    Scenario run;
    const Arrival request{K::NavigationRequest, kMainWindow, u"http://127.0.0.1/next"};
    run.Login({Page(K::DownloadComplete, {}, false, 2), request});
    EXPECT_EQ(run.replayed, (std::vector<Action>{Action::CheckForResult, Action::Navigate}));
    EXPECT_TRUE(run.Take({K::ResultReached}).Has(Action::PostDeliver));
    EXPECT_TRUE(run.Take(request).actions.empty()) << "no navigation during a delivery";
    EXPECT_TRUE(run.Take(Page(K::DownloadComplete)).actions.empty()) << "one delivery per run";
    EXPECT_TRUE(run.Take({K::NewWindow}).cancel);
    EXPECT_TRUE(run.Take(Page(K::BeforeNavigate, u"http://x/?LogoutAndExit")).Has(Action::Close))
        << "an exit word still closes";
    EXPECT_TRUE(run.Take({K::Deliver}).Has(Action::StartDelivery));
    EXPECT_TRUE(run.Take({K::Deliver}).actions.empty());
    EXPECT_EQ(run.Take({K::Close}).actions, std::vector<Action>{Action::CancelDelivery});
    EXPECT_EQ(run.Take({K::EndSession}).actions, (std::vector<Action>{Action::CancelDelivery, Action::FinishFileWork}));

    Scenario early;  // closed before its delivery started: the result stays on the server
    early.Login();
    early.Take({K::ResultReached});
    EXPECT_EQ(early.Take({K::Close}).actions, std::vector<Action>{Action::EndNotDelivered});
    EXPECT_TRUE(early.Take({K::Deliver}).actions.empty());
}
