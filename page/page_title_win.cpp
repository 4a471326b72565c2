#include "page/page_title_win.h"

#include <mshtml.h>

#include "base/com_win.h"
#include "base/wide_win.h"

namespace tessel {

std::optional<WideString> TitleOfDocument(IDispatch* document) {
    if (!document) return std::nullopt;
    ComPtr<IHTMLDocument2> html;
    if (FAILED(document->QueryInterface(IID_PPV_ARGS(&html))) || !html) return std::nullopt;
    ScopedBstr title;
    html->get_title(title.put());  // a failed read leaves the title empty
    return title.str();
}

namespace {
// A property read by name, as text; nothing where the object has none.
std::optional<WideString> PropertyText(IDispatch* object, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return std::nullopt;
    DISPPARAMS none{};
    ScopedVariant value;
    if (FAILED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.get(), nullptr,
                              nullptr)) ||
        FAILED(::VariantChangeType(value.get(), value.get(), 0, VT_BSTR)) || !V_BSTR(value.get()))
        return std::nullopt;
    return FromW(V_BSTR(value.get()), ::SysStringLen(V_BSTR(value.get())));
}
}  // namespace

std::optional<WideString> DocumentModeOf(IDispatch* document) {
    if (!document) return std::nullopt;
    std::optional<WideString> mode = PropertyText(document, L"documentMode");
    if (!mode) return std::nullopt;
    if (const auto compat = PropertyText(document, L"compatMode")) *mode += u", " + *compat;
    return mode;
}

}  // namespace tessel
