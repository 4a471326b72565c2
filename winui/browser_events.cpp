#include "winui/browser_events.h"

#include <exdispid.h>

#include "base/com_win.h"

namespace tessel {

namespace {
const VARIANT* Arg(const DISPPARAMS& p, UINT index) {
    return index < p.cArgs ? &p.rgvarg[p.cArgs - 1 - index] : nullptr;
}
}  // namespace

BrowserEvent DecodeBrowserEvent(DISPID dispid, const DISPPARAMS& params) {
    BrowserEvent event;
    switch (dispid) {
    case DISPID_BEFORENAVIGATE2:  // (frame, URL, flags, target, post data, headers, cancel)
    case DISPID_DOCUMENTCOMPLETE:  // (frame, URL)
        event.url = VariantText(Arg(params, 1));
        break;
    default:
        break;
    }
    return event;
}

void BrowserEvents::FireControlEvent(UINT controlId, DISPID dispid, const DISPPARAMS& params) {
    for (const EventSinkEntry* e = GetEventSinkMap(); e && e->controlId; ++e) {
        if (e->controlId != controlId || e->dispid != dispid) continue;
        (this->*e->handler)(DecodeBrowserEvent(dispid, params));
        return;
    }
}

}  // namespace tessel
