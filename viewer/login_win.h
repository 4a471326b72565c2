// The one plain HTTP login request to the print server.
#pragma once

#include <windows.h>

#include <atomic>

#include "base/text.h"

namespace tessel {

struct LoginOutcome {
    enum class Kind {
        Accepted,        // answered 200 (after any redirects)
        NotAccepted,     // answered otherwise, or no answer: the viewer opens all the same
        HttpLayerError,  // an error of the HTTP layer the login does not absorb
    };
    Kind kind;
    DWORD error = 0;  // with HttpLayerError: the layer's error code
};

// Lets another thread end a login that runs: its session is closed under it, which ends a
// blocking request at once.
struct LoginAbort {
    void Abort();
    std::atomic<bool> aborted{false};
    std::atomic<void*> session{nullptr};  // the login's WinINet session, while it has one
};

// GET /wt4/login on port 80 of host, as HTTP/1.0.
LoginOutcome LoginToServer(const WideString& host, LoginAbort& abort);

}  // namespace tessel
