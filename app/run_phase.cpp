#include "app/run_phase.h"

namespace tessel {

Effect Decide(Phase phase, Arrival arrival) {
    using A = Arrival;
    if (phase == Phase::Ending || arrival == A::OtherTimer) return Effect::Drop;
    if (arrival == A::StartTimer) return phase == Phase::Opening ? Effect::Act : Effect::Drop;
    if (arrival == A::Close || arrival == A::EndSession) return Effect::Act;
    // The program's own steps belong to one phase each: in any other they have no effect.
    if (arrival == A::Retry || arrival == A::ShowUnreachable)
        return phase == Phase::Browsing ? Effect::Act : Effect::Drop;
    if (arrival == A::Deliver) return phase == Phase::Delivering ? Effect::Act : Effect::Drop;
    // The control needs its answer at once; a window opened during a delivery would outlive it.
    if (arrival == A::NewWindow) return phase == Phase::Delivering ? Effect::Drop : Effect::Act;
    switch (phase) {
        case Phase::Opening:
            // The start page's own events act; a host's request would be lost under the viewer
            // request that follows, so it waits for it.
            return arrival == A::NavigationRequest ? Effect::Hold : Effect::Act;
        case Phase::LoggingIn:
            // The page and the host wait for the viewer request, and then come in order.
            return Effect::Hold;
        case Phase::Delivering:
            // One delivery per run, and the run ends with it: no navigation is carried out,
            // but an exit word still closes (and so cancels) and the caption still follows.
            return arrival == A::BeforeNavigate || arrival == A::DocumentComplete ? Effect::Act : Effect::Drop;
        default:
            return Effect::Act;
    }
}

}  // namespace tessel
