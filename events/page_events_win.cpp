// The browser's events: exit words, the result document and the window title.
#include <mshtml.h>

#include "app/platform_win.h"
#include "app/tessel_dlg.h"
#include "events/page_events.h"
#include "events/result_delivery_win.h"

namespace tessel {

namespace {
constexpr wchar_t kInstallKey[] = L"SOFTWARE\\Quorvex\\Vanta Deskhub";
constexpr wchar_t kInstallValue[] = L"CommonFiles";
}  // namespace

void CTesselDlg::OnBeforeNavigate2(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                                   VARIANT_BOOL*) {
    const WideString text = VariantText(url);
    Trace(u"before navigate: " + text);
    if (ContainsExitWord(text)) {
        Trace(u"exit word");
        ::SendMessageW(MainWindowHandle(), WM_CLOSE, 0, 0);
    }
}

void CTesselDlg::OnDownloadComplete() {
    const WideString tool =
        ReadRegistryString(HKEY_LOCAL_MACHINE, FromW(kInstallKey), FromW(kInstallValue)) + u"\\curl.exe";
    const WideString location = m_browser.GetLocationURL();
    Trace(u"download complete: " + location);
    if (!IsResultLocation(location)) return;
    if (IsEnding()) return;  // a result already taken in hand is not fetched twice

    const Delivery outcome = DeliverResult(m_params, tool, location);
    EndDialog(outcome == Delivery::Failed ? kExitNotDelivered : 0);
}

std::optional<WideString> DocumentTitle(IDispatch* document) {
    if (!document) return std::nullopt;
    ComPtr<IHTMLDocument2> html;
    if (FAILED(document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(html.GetAddressOf()))) ||
        !html)
        return std::nullopt;
    ScopedBstr title;
    html->get_title(title.put());  // a failed read leaves the title empty
    return title.str();
}

void CTesselDlg::OnDocumentComplete(IDispatch*, VARIANT*) {
    ComPtr<IDispatch> document = m_browser.GetDocument();
    const auto title = DocumentTitle(document.Get());
    if (!title) return;  // no document, or not an HTML one: caption unchanged
    Trace(u"title: " + *title);
    ::SetWindowTextW(GetSafeHwnd(), W(*title));
}

}  // namespace tessel
