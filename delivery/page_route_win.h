// The route the page's own requests take to an address, read from Windows' HTTP layer: the
// proxy it would use, the cookies it would send, whether it would sign in and how it judges
// the server's certificate. Each can take a while: none on the window's thread.
#pragma once

#include "base/text.h"
#include "page/page_trust.h"

namespace tessel {

// The proxy for the address as curl names it ("http://a:1"), empty for direct. From the
// user's Internet Options: an automatic configuration (a script's address, or detection)
// where it is set and answers; else the manual proxy where it is on; else direct. Can take
// a while (an automatic configuration is fetched): not on the window's thread.
WideString SystemProxyFor(const WideString& url);

// The cookies this process's HTTP layer would send to the address, HttpOnly ones included
// ("a=1; b=2"); empty when there are none.
WideString SessionCookiesFor(const WideString& url);

// How the HTTP layer judges the server of an https address, as it would for the page: its
// store, chain, name, date and revocation checks. Asks the server once (OPTIONS, with no
// cookie and no credentials; any answer means the handshake was accepted).
struct ServerCertificate {
    unsigned long error = 0;   // the HTTP layer's error, where the check failed
    WideString pinnedKey;      // the accepted key, "sha256//…", where the layer tells it
    // A certificate problem: the page's route would not go there.
    bool Refused() const { return IsCertificateProblem(error); }
};
ServerCertificate CheckServerCertificate(const WideString& url);

// Whether the page would sign in to the address with the user's logon without asking: its
// zone and that zone's logon policy, as the zone manager gives them. Needs COM on the thread.
bool SilentLogonFor(const WideString& url);

}  // namespace tessel
