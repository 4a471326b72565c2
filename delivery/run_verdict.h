// What a curl run's end means for the delivery, and when it, or the move into place, is
// tried again.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// What one run's end means for the delivery: done, worth another try (the transport failed:
// refused, reset, cut, empty answer, timed out, a handshake the network broke off; or the
// server was briefly unable: 502, 503, 504), or failed for good (any other answer, a 4xx
// above all, and a handshake that the security layer refused: curl's 35 then names its
// status, a revocation that could not be checked among them).
enum class RunVerdict { Done, TryAgain, Failed };
// Done only for an exit of 0 with a final 200: curl saves a 3xx body and exits 0.
RunVerdict DownloadVerdict(unsigned long curlExit, std::string_view headerDump, std::string_view curlMessage = {});
// The delete's own answer is not judged (the result is delivered): done, or another try.
RunVerdict DeleteVerdict(unsigned long curlExit, std::string_view headerDump, std::string_view curlMessage = {});

// A final 401 or 407 in a header dump, as "401 Negotiate, NTLM": the status and the schemes
// its challenges offer; nothing for any other answer.
std::optional<std::string> SignInChallenge(std::string_view headerDump);

// The status (200–599) of the final response in a header dump (interim 1xx answers come
// first), or nothing when there is none: no status line, a malformed or out-of-range last one,
// or interim answers only.
std::optional<int> FinalStatus(std::string_view headerDump);

// Tries of one run: at most kRunTries, the waits between them 1 s, 2 s, 4 s, and none that
// would begin later than kRetryWindowMs after the first try began (so a run that stalled for
// its 60 s is not tried again, and a failing route holds the result at most 150 s). The wait
// before the next try, or nothing when none is left.
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

}  // namespace tessel
