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

StartSequence::StartSequence(const ParameterMap& params, DocumentReader read)
    : m_url(ComposeViewerUrl(params, Utf8ToWide)), m_shared(std::make_shared<Work>()) {
    // A document on a slow share and the server's answer are waited for off the window's
    // thread, side by side: the server sees the login at once, however long the document takes.
    auto readDocument = [work = m_shared, read = std::move(read), path = WideValue(params, keys::kInputPath)] {
        read(path, *work->postData.get(), *work->headers.get());
    };
    const bool apart = static_cast<bool>(m_shared->documentRead);
    // Started before the login: should either run here for want of a thread, the login never
    // waits for a read not yet begun.
    if (apart)
        m_document = std::make_unique<BackgroundCall>([work = m_shared, readDocument] {
            readDocument();
            ::SetEvent(work->documentRead.get());
        });
    m_login = std::make_unique<BackgroundCall>(
        [work = m_shared, readDocument, apart, host = WideValue(params, keys::kServerIP)] {
            work->outcome = LoginToServer(host, work->abort);
            // This thread's end is Ready: one handle for the dialog's loop, once both are over.
            if (apart)
                ::WaitForSingleObject(work->documentRead.get(), INFINITE);
            else
                readDocument();  // without the event, after the login, as one thread can
        });
}

StartSequence::~StartSequence() = default;

void StartSequence::Abandon() {
    m_shared->abort.Abort();
    if (m_document) m_document->Detach();
    m_login->Detach();
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
