// The one-shot start: log in, then open the viewer page with the input document. The login
// runs on a thread of its own; the window's thread waits for it in its message loop.
#pragma once

#include <windows.h>

#include <memory>

#include "base/com_win.h"
#include "base/worker_win.h"
#include "params/parameter_map.h"
#include "viewer/login_win.h"
#include "winui/web_browser.h"

namespace tessel {

class StartSequence {
public:
    // Composes the viewer address and reads the input document here, then starts the login.
    explicit StartSequence(const ParameterMap& params);
    StartSequence(const StartSequence&) = delete;
    StartSequence& operator=(const StartSequence&) = delete;

    // Signalled once the login is over.
    HANDLE LoginDone() const { return login_->Done(); }
    // After LoginDone: navigates the browser to the viewer page, with the document, unless
    // an HTTP-layer error escaped the login. The login's outcome, for the caller to report.
    LoginOutcome OpenViewer(WebBrowser& browser);

private:
    WideString url_;
    ScopedVariant postData_, headers_;
    LoginOutcome outcome_{LoginOutcome::Kind::NotAccepted};
    std::unique_ptr<BackgroundCall> login_;  // last: its thread ends before the rest goes
};

}  // namespace tessel
