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

StartSequence::StartSequence(const ParameterMap& params)
    : url_(ComposeViewerUrl(params, Utf8ToWide)), shared_(std::make_shared<Work>()) {
    // A document on a slow share, and the server's answer, are waited for off the window's thread.
    work_ = std::make_unique<BackgroundCall>(
        [work = shared_, document = WideValue(params, keys::kInputPath), host = WideValue(params, keys::kServerIP)] {
            LoadPostData(document, *work->postData.get(), *work->headers.get());
            work->outcome = LoginToServer(host, work->abort);
        });
}

StartSequence::~StartSequence() = default;

void StartSequence::Abandon() {
    shared_->abort.Abort();
    work_->LetGo();
}

LoginOutcome StartSequence::OpenViewer(WebBrowser& browser) {
    const LoginOutcome outcome = shared_->outcome;
    if (outcome.kind == LoginOutcome::Kind::HttpLayerError) {
        Trace(lines::kLoginUnhandledError);
        return outcome;
    }
    Trace(lines::kNavigateViewer + url_);
    TESSEL_CHECK(browser.Navigate(url_, shared_->postData.get(), shared_->headers.get()));
    return outcome;
}

}  // namespace tessel
