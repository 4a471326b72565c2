#include "base/com_win.h"

namespace tessel {

WideString VariantText(const VARIANT* v) {
    if (!v) return {};
    if (V_VT(v) == (VT_BYREF | VT_VARIANT)) return VariantText(V_VARIANTREF(v));
    if (V_VT(v) == VT_BSTR && V_BSTR(v)) return FromW(V_BSTR(v), ::SysStringLen(V_BSTR(v)));
    if (V_VT(v) == (VT_BYREF | VT_BSTR) && V_BSTRREF(v) && *V_BSTRREF(v))
        return FromW(*V_BSTRREF(v), ::SysStringLen(*V_BSTRREF(v)));
    return {};
}

}  // namespace tessel
