// The one-shot start: read the input document and log in, then open the viewer page with the
// document. The two run at once, each on a thread of its own, so neither a large document nor
// a slow share holds the login back; the window's thread waits for both in its message loop.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "base/com_win.h"
#include "base/handles_win.h"
#include "base/worker_win.h"
#include "params/parameter_map.h"
#include "start/login_win.h"
#include "start/post_data_win.h"
#include "winui/web_browser.h"

namespace tessel {

class StartSequence {
public:
    // Reads the document at a path into the viewer request's body and its header line.
    using DocumentReader = std::function<void(const WideString& path, VARIANT& postData, VARIANT& headers)>;

    // Composes the viewer address here, then starts reading the document (with `read`) and the login.
    explicit StartSequence(const ParameterMap& params, DocumentReader read = LoadPostData);
    StartSequence(const StartSequence&) = delete;
    StartSequence& operator=(const StartSequence&) = delete;
    ~StartSequence();

    // Signalled once the document is read and the login is over.
    HANDLE Ready() const { return m_login->Done(); }
    // After Ready: navigates the browser to the viewer page, with the document, unless an
    // HTTP-layer error escaped the login. The login's outcome, for the caller to report.
    LoginOutcome OpenViewer(WebBrowser& browser);
    // The run ends first: the login is cut off where it stands and nothing waits for either thread.
    void Abandon();

private:
    struct Work {
        ScopedVariant postData, headers;
        LoginOutcome outcome{LoginOutcome::Kind::NotAccepted};
        LoginAbort abort;
        // Set once the document is read. Here, not in the sequence, so that a detached login
        // thread never waits on a closed handle.
        KernelHandle documentRead{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    };
    WideString m_url;
    std::shared_ptr<Work> m_shared;  // the threads' too, so it may outlive this sequence
    std::unique_ptr<BackgroundCall> m_document;  // none where the event could not be had
    std::unique_ptr<BackgroundCall> m_login;     // its end is Ready: it waits for the document
};

}  // namespace tessel
