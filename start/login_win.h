// The one plain HTTP login request to the print server.
#pragma once

#include <windows.h>


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

// Lets another thread end a login that runs, by WinINet's rules: only the request in use is
// closed from outside (which ends its blocking call at once, as documented), under a lock the
// login takes to hand each request over and back; the login checks before each call and
// closes everything else itself, children before their parent, once its call has returned.
class LoginAbort {
public:
    void Abort();
    bool Aborted();
    // The login's side. Use: the request it is about to call on; false when the login was
    // aborted already. Done: the request is back; false when Abort closed it meanwhile (then
    // it is no longer the login's to close).
    bool Use(void* request);
    bool Done(void* request);
    // A short call on the request, made under the lock so the abort cannot close the request
    // during it; not made (false) once aborted. Only the blocking send is made outside it.
    template <typename Call>
    bool CallUnlessAborted(Call&& call) {
        const Hold hold(m_lock);
        if (m_aborted) return false;
        call();
        return true;
    }

private:
    struct Hold {
        explicit Hold(SRWLOCK& lock) : m_held(lock) { ::AcquireSRWLockExclusive(&m_held); }
        ~Hold() { ::ReleaseSRWLockExclusive(&m_held); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        SRWLOCK& m_held;
    };
    SRWLOCK m_lock = SRWLOCK_INIT;
    bool m_aborted = false;
    void* m_request = nullptr;
};

// GET /wt4/login on port 80 of host, as HTTP/1.0.
LoginOutcome LoginToServer(const WideString& host, LoginAbort& abort);

}  // namespace tessel
