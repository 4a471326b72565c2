#include "winui/win_types.h"

namespace tessel {

void Trace(const WideString& text) {
    const WideString line = u"tessel: " + text + u"\n";
    ::OutputDebugStringW(W(line));
}

WideString ModulePath() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size()) return FromW(buf.c_str(), n);
        buf.resize(buf.size() * 2);  // truncated: long paths exist
    }
}

WideString VariantText(const VARIANT* v) {
    if (!v) return {};
    if (V_VT(v) == (VT_BYREF | VT_VARIANT)) return VariantText(V_VARIANTREF(v));
    if (V_VT(v) == VT_BSTR && V_BSTR(v)) return FromW(V_BSTR(v), ::SysStringLen(V_BSTR(v)));
    if (V_VT(v) == (VT_BYREF | VT_BSTR) && V_BSTRREF(v) && *V_BSTRREF(v))
        return FromW(*V_BSTRREF(v), ::SysStringLen(*V_BSTRREF(v)));
    return {};
}

}  // namespace tessel
