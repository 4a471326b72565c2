// The page's trust as the result's route takes it over: when the user's Windows logon may
// answer a server, which certificate problems the control may show, and the key a checked
// server is held to.
#pragma once

#include <cstddef>
#include <string_view>

#include "base/text.h"

namespace tessel {

// Security zones and the logon policies of URLACTION_CREDENTIALS_USE, as urlmon numbers them.
inline constexpr unsigned long kIntranetZone = 1;
inline constexpr unsigned long kLogonSilent = 0x00000000;       // with the current user, anywhere
inline constexpr unsigned long kLogonPrompt = 0x00010000;       // always ask the user
inline constexpr unsigned long kLogonIntranetOnly = 0x00020000; // silent in the intranet zone only
inline constexpr unsigned long kLogonAnonymous = 0x00030000;    // never sign in
inline constexpr unsigned long kLogonPolicyMask = 0x00030000;

// Whether the page, in the address's zone and under that zone's logon policy, signs in with
// the user's logon without asking: that policy everywhere, or the intranet-only one in the
// Local intranet zone. Never where the zone asks the user or allows no logon.
bool SignsInSilently(unsigned long zone, unsigned long logonPolicy);

// A problem the HTTP layer reports to the host (IHttpSecurity::OnSecurityProblem) that is
// the server's certificate: unknown issuer, name or date, revoked, revocation not checked,
// invalid or otherwise refused. The program never lets the page past one, and never asks.
bool IsCertificateProblem(unsigned long problem);

// "sha256//<base64>" of a public key's SHA-256, as curl takes a pinned key.
WideString PinnedKey(const unsigned char (&sha256)[32]);

}  // namespace tessel
