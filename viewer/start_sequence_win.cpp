// The one-shot start: log in, then open the viewer page with the input document.
#include "app/platform_win.h"
#include "app/tessel_dlg.h"
#include "app/shell_logic.h"
#include "viewer/viewer_url.h"

namespace tessel {

void CTesselDlg::OnTimer(UINT_PTR) {
    HWND hwnd = GetSafeHwnd();
    ::KillTimer(hwnd, kStartTimer);  // first, so the sequence runs once
    const WideString host = ThreadAcpToWide(m_params.Lookup(std::string(keys::kServerIP)));
    const WideString url = ComposeViewerUrl(m_params, ThreadAcpToWide);
    ScopedVariant postData, headers;
    LoadPostData(m_params, *postData.get(), *headers.get());
    try {
        LoginToServer(host);
    } catch (const InternetError& e) {
        Trace(u"login: unhandled HTTP-layer error");
        WideString text = InternetErrorText(e.code);
        if (text.empty()) text = u"Internal application error.";
        const WideString caption = PropertyNameFromModulePath(ModulePath());
        ::MessageBoxW(hwnd, W(text), W(caption), MB_OK | MB_ICONSTOP);
        return;
    }
    Trace(u"navigate viewer: " + url);
    m_browser.Navigate(url, nullptr, nullptr, postData.get(), headers.get());
    if (HWND control = m_browser.GetSafeHwnd()) ::UpdateWindow(control);
}

}  // namespace tessel
