#include "viewer/start_sequence_win.h"

#include "base/trace_lines.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "viewer/post_data_win.h"
#include "viewer/viewer_url.h"

namespace tessel {

namespace {
WideString WideValue(const ParameterMap& params, std::string_view key) {
    return Utf8ToWide(CutAtNul(params.Value(key).value_or("")));
}
}  // namespace

StartSequence::StartSequence(const ParameterMap& params) : url_(ComposeViewerUrl(params, Utf8ToWide)) {
    LoadPostData(WideValue(params, keys::kInputPath), *postData_.get(), *headers_.get());
    login_ = std::make_unique<BackgroundCall>(
        [this, host = WideValue(params, keys::kServerIP)] { outcome_ = LoginToServer(host); });
}

LoginOutcome StartSequence::OpenViewer(WebBrowser& browser) {
    if (outcome_.kind == LoginOutcome::Kind::HttpLayerError) {
        Trace(lines::kLoginUnhandledError);
        return outcome_;
    }
    Trace(lines::kNavigateViewer + url_);
    TESSEL_CHECK(browser.Navigate(url_, postData_.get(), headers_.get()));
    return outcome_;
}

}  // namespace tessel
