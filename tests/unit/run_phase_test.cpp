#include <gtest/gtest.h>

#include "app/run_phase.h"

using namespace tessel;

namespace {
constexpr Phase kPhases[] = {Phase::Opening, Phase::LoggingIn, Phase::Browsing, Phase::Delivering, Phase::Ending};
constexpr Arrival kPageAndHost[] = {Arrival::NavigationRequest, Arrival::BeforeNavigate, Arrival::DownloadComplete,
                                    Arrival::DocumentComplete, Arrival::NavigateError};
}  // namespace

TEST(RunPhase, TimersCloseAndEndOfSession) {
    for (Phase p : kPhases) {
        EXPECT_EQ(Decide(p, Arrival::OtherTimer), Effect::Drop) << "a timer posted from outside starts nothing";
        EXPECT_EQ(Decide(p, Arrival::StartTimer), p == Phase::Opening ? Effect::Act : Effect::Drop)
            << "the start sequence runs once";
        const Effect close = p == Phase::Ending ? Effect::Drop : Effect::Act;
        EXPECT_EQ(Decide(p, Arrival::Close), close) << "a close takes effect at once, the login included";
        EXPECT_EQ(Decide(p, Arrival::EndSession), close);
    }
}

TEST(RunPhase, PageAndHostWaitForTheViewerAndEndWithTheResult) {
    for (Arrival a : kPageAndHost) {
        // The host's request would be lost under the viewer request: it waits for it.
        EXPECT_EQ(Decide(Phase::Opening, a), a == Arrival::NavigationRequest ? Effect::Hold : Effect::Act);
        EXPECT_EQ(Decide(Phase::LoggingIn, a), Effect::Hold);
        EXPECT_EQ(Decide(Phase::Browsing, a), Effect::Act);
        EXPECT_EQ(Decide(Phase::Ending, a), Effect::Drop);
    }
    // One delivery per run, no navigation during it; an exit word still closes, the caption follows.
    EXPECT_EQ(Decide(Phase::Delivering, Arrival::DownloadComplete), Effect::Drop);
    EXPECT_EQ(Decide(Phase::Delivering, Arrival::NavigationRequest), Effect::Drop);
    EXPECT_EQ(Decide(Phase::Delivering, Arrival::BeforeNavigate), Effect::Act);
    EXPECT_EQ(Decide(Phase::Delivering, Arrival::DocumentComplete), Effect::Act);
    // The program's own steps act in their one phase only: a page's "try again" during a
    // delivery or a login does nothing.
    for (Phase p : kPhases) {
        EXPECT_EQ(Decide(p, Arrival::Retry), p == Phase::Browsing ? Effect::Act : Effect::Drop);
        EXPECT_EQ(Decide(p, Arrival::Deliver), p == Phase::Delivering ? Effect::Act : Effect::Drop);
    }
    // A new window is answered at once: opened, or refused during the delivery.
    EXPECT_EQ(Decide(Phase::Browsing, Arrival::NewWindow), Effect::Act);
    EXPECT_EQ(Decide(Phase::Delivering, Arrival::NewWindow), Effect::Drop);
}
