// The transfer tool's two command lines and what its run leaves behind, as text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/text.h"

namespace tessel {

// CreateProcess takes at most 32,767 characters, terminator included.
inline constexpr std::size_t kCommandLineChars = 32766;
// The location and the file name each fit a 1,024-unit buffer, terminator included.
inline constexpr std::size_t kWidePieceUnits = 1023;

// Bounds of each run: a connection not made within 30 s, or 60 s without progress, fails it.
inline constexpr int kConnectTimeoutSeconds = 30;
inline constexpr int kStallSeconds = 60;

// The road a run takes, as the page's own requests take it: the proxy ("http://a:1"; empty:
// none, whatever the environment says), whether the session's cookies come on the tool's
// standard input (as configuration, so no other process can read them off its line), and the
// page's trust.
struct Road {
    WideString proxy;
    bool sessionOnInput = false;
    // The user's Windows logon (Negotiate or NTLM, through the tool's SSPI; no password of
    // ours) answers an http proxy's 407, as the HTTP layer answers it, and a server's 401 only
    // where the address's zone lets the page sign in silently.
    bool proxySignIn = false;
    bool serverSignIn = false;
    // An https server whose certificate Windows accepted: the tool is held to the key Windows
    // accepted ("sha256//<base64>"), or, where that is not known, checks the certificate
    // through the system's store (a revocation list it cannot reach is no refusal there).
    // Otherwise the tool takes any certificate (-k): such a run carries no session and no
    // sign-in.
    bool certificateAccepted = false;
    WideString pinnedKey;
};

// The working files of a run, by the names the tool opens them: the response head, the
// body (the download's only) and the tool's own message.
struct RunFiles {
    WideString head, part, log;
};

// The address the tool is sent for a location: UTF-8, with every byte that could end an
// argument or start another (controls, blank, double quote, DEL) or lies outside ASCII
// percent-encoded. The route and the session are looked up for this address.
WideString DownloadAddress(WideView locationUrl);
// The delete's address: base?file=name. The base (UTF-8, from the host) goes as given but
// for those bytes and '#' (which would end its query before the file), percent-encoded; a
// base that has a query already takes the file as one more parameter ('&'). The name is
// encoded as the location is, and '&', '#' and '+' too (they would change the query's
// meaning; an encoding already there is kept).
WideString DeleteAddress(std::string_view viewerBase, WideView fileName);

// Download into the part file, the response head and the tool's message beside it. The tool
// path is quoted (a blank in "Program Files" must not split it); no configuration file; no
// globbing; http and https only. The address (DownloadAddress) is the one argument of --url:
// the page can add no argument, and a tool that reads the ANSI code page gets it whole.
// Empty when a path holds a double quote or ends in a backslash, the tool path is empty,
// the location exceeds its buffer, or the line exceeds the platform's limit.
std::optional<WideString> FormatDownloadCommand(WideView toolPath, const RunFiles& files, WideView locationUrl,
                                                const Road& road = {});
// DELETE at DeleteAddress, its response head and the tool's message beside it.
std::optional<WideString> FormatDeleteCommand(WideView toolPath, const RunFiles& files, std::string_view viewerBase,
                                              WideView fileName, const Road& road = {});

// The session's cookies ("a=1; b=2") as the tool's configuration on its standard input: a
// Cookie header; empty when there are none. Line breaks and NULs cannot be part of it.
std::string SessionConfig(WideView cookies);

// What one run's end means for the delivery: done, worth another try (the transport failed:
// refused, reset, cut, empty answer, timed out, a handshake the network broke off; or the
// server was briefly unable: 502, 503, 504), or failed for good (any other answer, a 4xx
// above all, and a handshake that the security layer refused: curl's 35 then names its
// status, a revocation that could not be checked among them).
enum class RunVerdict { Done, TryAgain, Failed };
// Done only for an exit of 0 with a final 200: curl saves a 3xx body and exits 0.
RunVerdict DownloadVerdict(unsigned long toolExit, std::string_view headerDump, std::string_view toolMessage = {});
// The delete's own answer is not judged (the result is delivered): done, or another try.
RunVerdict DeleteVerdict(unsigned long toolExit, std::string_view headerDump, std::string_view toolMessage = {});

// A final 401 or 407 in a header dump, as "401 Negotiate, NTLM": the status and the schemes
// its challenges offer; nothing for any other answer.
std::optional<std::string> SignInChallenge(std::string_view headerDump);

// Tries of one run: at most kRunTries, the waits between them 1 s, 2 s, 4 s, and none that
// would begin later than kRetryWindowMs after the first try began (so a run that stalled for
// its 60 s is not tried again, and a failing road holds the result at most 150 s). The wait before the next
// try, or nothing when none is left.
inline constexpr unsigned kRunTries = 4;
inline constexpr unsigned long long kRetryWindowMs = 60000;
std::optional<unsigned> RetryDelayMs(unsigned triesMade, unsigned long long sinceFirstTryMs);

// Moving the result into place is tried again for about kMoveRetryMs while another program
// holds a file for a moment: a sharing or lock violation, a mapped file, or access denied on
// a target that is neither read-only nor a folder (a scanner's or preview's handle).
inline constexpr unsigned long long kMoveRetryMs = 10000;
bool IsTransientMoveError(unsigned long error, bool targetReadOnlyOrFolder);
// The wait before move try n+1 (n ≥ 1): 50 ms, doubling, at most 1 s.
unsigned MoveRetryDelayMs(unsigned triesMade);

// The working files' names are at most this long; curl opens them in its current directory.
// A run's three are "<unique>.part", ".head" and ".log".
inline constexpr std::size_t kLongestWorkingName = 26;
// Where the tool can run so that it opens its working files by plain relative names, which
// every build opens only within MAX_PATH: the folder (trailing separator included) when its
// working files fit, else its short form when that fits; nothing when neither does.
std::optional<WideString> ToolFolder(WideView folder, WideView shortForm);
// A full path in the form the file calls take beyond MAX_PATH ("\\?\C:\…", "\\?\UNC\srv\…");
// a path already in such a form, or not a full one, as it is.
WideString ExtendedLengthPath(WideView fullPath);
// The other way: the plain form of an extended-length path.
WideString PlainPath(WideView path);

// A path that can stand in quotes and name a file: no double quote, no trailing separator.
bool IsQuotablePath(WideView path);

// The folder part of a path, separator included ("C:\out\" of "C:\out\r.xml", "" of "r.xml").
WideView FolderOf(WideView path);

// A working file's name, plain ASCII whatever the folder: "~tessel-<unique><extension>".
WideString WorkingFileName(std::string_view unique, std::string_view extension);

// For a name WorkingFileName gives ("~tessel-<digits>-<digits>" and ".part", ".head" or ".log"), and for
// nothing else: the process id it begins with, the viewer whose run made it.
std::optional<unsigned long> WorkingFileOwner(WideView name);

// A folder from a drive's root or a share ("C:\x", "\\server\share"): the only kind a tool
// is run from. A relative one would be the host's current directory's.
bool IsAbsoluteFolder(WideView folder);

// The status of the last response in a header dump (interim 1xx answers come first), or
// empty when there is none.
std::optional<int> FinalStatus(std::string_view headerDump);

}  // namespace tessel
