#include "viewer/start_sequence_win.h"

#include "base/com_win.h"
#include "base/module_win.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "viewer/login_win.h"
#include "viewer/post_data_win.h"
#include "viewer/viewer_url.h"

namespace tessel {

void RunStartSequence(ParameterMap& params, WebBrowser& browser, HWND owner) {
    const WideString host = ThreadAcpToWide(params.Lookup(keys::kServerIP));
    const WideString url = ComposeViewerUrl(params, ThreadAcpToWide);
    ScopedVariant postData, headers;
    LoadPostData(params, *postData.get(), *headers.get());
    const LoginOutcome login = LoginToServer(host);
    if (login.kind == LoginOutcome::Kind::HttpLayerError) {
        Trace(u"login: unhandled HTTP-layer error");
        WideString text = InternetErrorText(login.error);
        if (text.empty()) text = u"Internal application error.";
        ::MessageBoxW(owner, W(text), W(ModuleStem()), MB_OK | MB_ICONSTOP);
        return;
    }
    Trace(u"navigate viewer: " + url);
    TESSEL_CHECK(browser.Navigate(url, postData.get(), headers.get()));
}

}  // namespace tessel
