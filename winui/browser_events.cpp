#include "winui/browser_events.h"

#include <exdispid.h>

#include "base/com_win.h"

namespace tessel {

namespace {
const VARIANT* Arg(const DISPPARAMS& p, UINT index) {
    return index < p.cArgs ? &p.rgvarg[p.cArgs - 1 - index] : nullptr;
}

// A VARIANT_BOOL passed by reference, as the control passes Cancel.
VARIANT_BOOL* BoolRef(const VARIANT* v) { return v && V_VT(v) == (VT_BYREF | VT_BOOL) ? V_BOOLREF(v) : nullptr; }

IDispatch* Frame(const VARIANT* v) { return v && V_VT(v) == VT_DISPATCH ? V_DISPATCH(v) : nullptr; }

long Status(const VARIANT* v) {
    if (v && V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
    if (!v) return 0;
    if (V_VT(v) == VT_I4) return V_I4(v);
    return V_VT(v) == (VT_BYREF | VT_I4) && V_I4REF(v) ? *V_I4REF(v) : 0;
}
}  // namespace

BrowserEvent DecodeBrowserEvent(DISPID dispid, const DISPPARAMS& params) {
    BrowserEvent event;
    switch (dispid) {
    case DISPID_BEFORENAVIGATE2:  // (frame, URL, flags, target, post data, headers, cancel)
        event.cancel = BoolRef(Arg(params, 6));
        [[fallthrough]];
    case DISPID_DOCUMENTCOMPLETE:  // (frame, URL)
        event.frame = Frame(Arg(params, 0));
        event.url = VariantText(Arg(params, 1));
        break;
    case DISPID_NAVIGATEERROR:  // (frame, URL, target frame name, status, cancel)
        event.frame = Frame(Arg(params, 0));
        event.url = VariantText(Arg(params, 1));
        event.status = Status(Arg(params, 3));
        event.cancel = BoolRef(Arg(params, 4));
        break;
    case DISPID_NEWWINDOW3:  // (new window, cancel, flags, opener's address, address)
        if (const VARIANT* out = Arg(params, 0); out && V_VT(out) == (VT_BYREF | VT_DISPATCH))
            event.window = V_DISPATCHREF(out);
        event.cancel = BoolRef(Arg(params, 1));
        event.url = VariantText(Arg(params, 4));
        break;
    case DISPID_WINDOWCLOSING:  // (is child window, cancel)
        event.cancel = BoolRef(Arg(params, 1));
        break;
    case DISPID_WINDOWSETLEFT:  // (number): what window.open asked for its window
    case DISPID_WINDOWSETTOP:
    case DISPID_WINDOWSETWIDTH:
    case DISPID_WINDOWSETHEIGHT:
        event.status = Status(Arg(params, 0));
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
