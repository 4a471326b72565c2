#include "start/start_sequence_win.h"

#include "base/trace_lines.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "start/post_data_win.h"
#include "start/viewer_url.h"

namespace tessel {

namespace {
WideString WideValue(const ParameterMap& params, std::string_view key) {
    return Utf8ToWide(CutAtNul(params.Value(key).value_or("")));
}
}  // namespace

StartSequence::StartSequence(const ParameterMap& params)
    : m_url(ComposeViewerUrl(params, Utf8ToWide)), m_shared(std::make_shared<Work>()) {
    // A document on a slow share, and the server's answer, are waited for off the window's thread.
    m_work = std::make_unique<BackgroundCall>(
        [work = m_shared, document = WideValue(params, keys::kInputPath), host = WideValue(params, keys::kServerIP)] {
            LoadPostData(document, *work->postData.get(), *work->headers.get());
            work->outcome = LoginToServer(host, work->abort);
        });
}

StartSequence::~StartSequence() = default;

void StartSequence::Abandon() {
    m_shared->abort.Abort();
    m_work->Detach();
}

LoginOutcome StartSequence::OpenViewer(WebBrowser& browser) {
    const LoginOutcome outcome = m_shared->outcome;
    if (outcome.kind == LoginOutcome::Kind::HttpLayerError) {
        Trace(lines::kLoginUnhandledError);
        return outcome;
    }
    Trace(lines::kNavigateViewer + m_url);
    TRACE_IF_FAILED(browser.Navigate(m_url, m_shared->postData.get(), m_shared->headers.get()));
    return outcome;
}

}  // namespace tessel
