#include "app/web_browser2.h"

#include <exdisp.h>

#include "winui/browser_host.h"

namespace tessel {

namespace {
constexpr DISPID kNavigate = 104;
constexpr DISPID kDocument = 203;
constexpr DISPID kLocationURL = 211;
}  // namespace

void CWebBrowser2::Attach(HWND control) {
    hwnd_ = control;
    dispatch_.Reset();
    if (ComPtr<IWebBrowser2> browser = BrowserOfHost(control)) browser.As(&dispatch_);
}

void CWebBrowser2::AttachDispatch(HWND control, ComPtr<IDispatch> dispatch) {
    hwnd_ = control;
    dispatch_ = std::move(dispatch);
}

HRESULT CWebBrowser2::Invoke(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result) {
    if (!dispatch_) return E_POINTER;
    return dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

HRESULT CWebBrowser2::Navigate(const WideString& url, VARIANT* flags, VARIANT* targetFrameName,
                               VARIANT* postData, VARIANT* headers) {
    ScopedBstr bstr(url);
    // An absent optional argument travels as a reference to an empty variant, which the
    // control reads exactly as a null reference.
    VARIANT empty[4];
    VARIANT* given[4] = {flags, targetFrameName, postData, headers};
    VARIANTARG args[5];  // reverse order, as dispatch calls take them
    for (int i = 0; i < 4; ++i) {
        ::VariantInit(&empty[i]);
        V_VT(&args[3 - i]) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&args[3 - i]) = given[i] ? given[i] : &empty[i];
    }
    V_VT(&args[4]) = VT_BSTR;
    V_BSTR(&args[4]) = bstr.get();
    DISPPARAMS params{args, nullptr, 5, 0};
    return Invoke(kNavigate, DISPATCH_METHOD, params, nullptr);
}

ComPtr<IDispatch> CWebBrowser2::GetDocument() {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ScopedVariant result;
    ComPtr<IDispatch> doc;
    if (SUCCEEDED(Invoke(kDocument, DISPATCH_PROPERTYGET, none, result.get())) &&
        V_VT(result.get()) == VT_DISPATCH)
        doc = V_DISPATCH(result.get());
    return doc;
}

WideString CWebBrowser2::GetLocationURL() {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ScopedVariant result;
    if (FAILED(Invoke(kLocationURL, DISPATCH_PROPERTYGET, none, result.get()))) return {};
    return VariantText(result.get());
}

}  // namespace tessel
