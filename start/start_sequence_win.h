// The one-shot start: read the input document and log in, then open the viewer page with the
// document. Both run on a thread of their own; the window's thread waits for it in its
// message loop.
#pragma once

#include <windows.h>

#include <memory>

#include "base/com_win.h"
#include "base/worker_win.h"
#include "params/parameter_map.h"
#include "start/login_win.h"
#include "winui/web_browser.h"

namespace tessel {

class StartSequence {
public:
    // Composes the viewer address here, then starts reading the document and the login.
    explicit StartSequence(const ParameterMap& params);
    StartSequence(const StartSequence&) = delete;
    StartSequence& operator=(const StartSequence&) = delete;
    ~StartSequence();

    // Signalled once the document is read and the login is over.
    HANDLE Ready() const { return m_work->Done(); }
    // After Ready: navigates the browser to the viewer page, with the document, unless an
    // HTTP-layer error escaped the login. The login's outcome, for the caller to report.
    LoginOutcome OpenViewer(WebBrowser& browser);
    // The run ends first: the login is cut off where it stands and nothing waits for it.
    void Abandon();

private:
    struct Work {
        ScopedVariant postData, headers;
        LoginOutcome outcome{LoginOutcome::Kind::NotAccepted};
        LoginAbort abort;
    };
    WideString m_url;
    std::shared_ptr<Work> m_shared;  // the thread's too, so it may outlive this sequence
    std::unique_ptr<BackgroundCall> m_work;
};

}  // namespace tessel
