#include "app/web_browser2.h"

#include "base/trace_win.h"
#include "page/page_title_win.h"
#include "winui/browser_host.h"

namespace tessel {

void CWebBrowser2::Attach(HWND control) { Attach(control, BrowserOfHost(control)); }

void CWebBrowser2::Attach(HWND control, ComPtr<IWebBrowser2> browser) {
    m_hWnd = control;
    m_browser = std::move(browser);
}

HRESULT CWebBrowser2::Navigate(const WideString& url, VARIANT* postData, VARIANT* headers) {
    if (!m_browser) return E_POINTER;
    ScopedBstr bstr(url);
    // An absent optional argument travels as an empty variant, which the control reads
    // exactly as a missing one.
    ScopedVariant flags, target, noPost, noHeaders;
    return m_browser->Navigate(bstr.get(), flags.get(), target.get(), postData ? postData : noPost.get(),
                               headers ? headers : noHeaders.get());
}

ComPtr<IDispatch> CWebBrowser2::GetDocument() {
    ComPtr<IDispatch> document;
    if (m_browser) m_browser->get_Document(document.GetAddressOf());  // S_FALSE and null: no document
    return document;
}

std::optional<WideString> CWebBrowser2::DocumentTitle() { return TitleOfDocument(GetDocument().Get()); }

std::optional<WideString> CWebBrowser2::DocumentMode() { return DocumentModeOf(GetDocument().Get()); }

WideString CWebBrowser2::GetLocationURL() {
    ScopedBstr location;
    if (!m_browser || FAILED(m_browser->get_LocationURL(location.put()))) return {};
    return location.str();
}

std::optional<int> CWebBrowser2::GetOpticalZoom() {
    ScopedVariant zoom;
    if (!m_browser ||
        FAILED(m_browser->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, zoom.get())) ||
        V_VT(zoom.get()) != VT_I4)
        return std::nullopt;
    return V_I4(zoom.get());
}

HRESULT CWebBrowser2::SetOpticalZoom(int percent) {
    if (!m_browser) return E_POINTER;
    ScopedVariant zoom;
    V_VT(zoom.get()) = VT_I4;
    V_I4(zoom.get()) = percent;
    return m_browser->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, zoom.get(), nullptr);
}

bool CWebBrowser2::IsTopLevel(IDispatch* frame) {
    if (!frame || !m_browser) return false;  // no frame names no document
    // COM identity: the same object answers the same IUnknown.
    ComPtr<IUnknown> a, b;
    frame->QueryInterface(IID_PPV_ARGS(&a));
    m_browser->QueryInterface(IID_PPV_ARGS(&b));
    return a.Get() && a.Get() == b.Get();
}

ComPtr<IDispatch> CWebBrowser2::Application() {
    ComPtr<IDispatch> application;
    if (!m_browser) return application;
    TRACE_IF_FAILED(m_browser->put_RegisterAsBrowser(VARIANT_TRUE));  // window.open's name finds it
    m_browser->get_Application(application.GetAddressOf());
    return application;
}

}  // namespace tessel
