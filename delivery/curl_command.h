// curl's two command lines, as text: the download and the delete, each on the route the
// page's own requests take.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "base/text.h"
#include "delivery/working_files.h"

namespace tessel {

// CreateProcess takes at most 32,767 characters, terminator included.
inline constexpr std::size_t kCommandLineChars = 32766;
// The location and the file name each fit a 1,024-unit buffer, terminator included.
inline constexpr std::size_t kWidePieceUnits = 1023;

// Bounds of each run: a connection not made within 30 s, or 60 s without progress, fails it.
inline constexpr int kConnectTimeoutSeconds = 30;
inline constexpr int kStallSeconds = 60;

// The route a run takes, as the page's own requests take it: the proxy ("http://a:1"; empty:
// none, whatever the environment says), whether the session's cookies come on curl's
// standard input (as configuration, so no other process can read them off its line), and the
// page's trust.
struct TransferRoute {
    WideString proxy;
    bool sessionOnInput = false;
    // The user's Windows logon (Negotiate or NTLM, through curl's SSPI; no password of ours)
    // answers an http proxy's 407, as the HTTP layer answers it, and a server's 401 only
    // where the address's zone lets the page sign in silently.
    bool proxySignIn = false;
    bool serverSignIn = false;
    // An https server whose certificate Windows accepted: curl is held to the key Windows
    // accepted ("sha256//<base64>"), or, where that is not known, checks the certificate
    // through the system's store (a revocation list it cannot reach is no refusal there).
    // Otherwise curl takes any certificate (-k): such a run carries no session and no
    // sign-in.
    bool certificateAccepted = false;
    WideString pinnedKey;
};

// The address curl is sent for a location: UTF-8, with every byte that could end an
// argument or start another (controls, blank, double quote, DEL) or lies outside ASCII
// percent-encoded. The route and the session are looked up for this address.
WideString DownloadAddress(WideView locationUrl);
// The delete's address: base?file=name. The base (UTF-8, from the host) goes as given but
// for those bytes and '#' (which would end its query before the file), percent-encoded; a
// base that has a query already takes the file as one more parameter ('&'). The name is
// encoded as the location is, and '&', '#' and '+' too (they would change the query's
// meaning; an encoding already there is kept).
WideString DeleteAddress(std::string_view viewerBase, WideView fileName);

// Download into the part file, the response head and curl's message beside it. curl's path
// is quoted (a blank in "Program Files" must not split it); no configuration file; no
// globbing; http and https only. The address (DownloadAddress) is the one argument of --url:
// the page can add no argument, and a curl that reads the ANSI code page gets it whole.
// Empty when a path holds a double quote or ends in a backslash, curl's path is empty,
// the location exceeds its buffer, or the line exceeds the platform's limit.
std::optional<WideString> FormatDownloadCommand(WideView curlPath, const RunFiles& files, WideView locationUrl,
                                                const TransferRoute& route = {});
// DELETE at DeleteAddress, its response head and curl's message beside it.
std::optional<WideString> FormatDeleteCommand(WideView curlPath, const RunFiles& files, std::string_view viewerBase,
                                              WideView fileName, const TransferRoute& route = {});

// A path that can stand in quotes and name a file: no double quote, no trailing separator.
bool IsQuotablePath(WideView path);

}  // namespace tessel
