#include "delivery/run_verdict.h"

#include <algorithm>

namespace tessel {

namespace {

// A status of the security layer in curl's message ("… (0x80092012) - …"): SSPI's
// (0x8009…, the certificate and revocation ones among them) or the chain's (0x800B…).
bool NamesSecurityStatus(std::string_view message) {
    for (std::size_t at = message.find("0x800"); at != std::string_view::npos; at = message.find("0x800", at + 1)) {
        const char next = at + 5 < message.size() ? message[at + 5] : '\0';
        if (next == '9' || next == 'B' || next == 'b') return true;
    }
    return false;
}

// curl's exit codes for a transport that failed: could not connect (7), partial file (18),
// timed out (28), a handshake broken off (35, when the security layer named no status of
// its own), empty answer (52), send (55) and receive (56) failures.
bool TransportFailed(unsigned long exit, std::string_view message) {
    switch (exit) {
        case 7: case 18: case 28: case 52: case 55: case 56: return true;
        case 35: return !NamesSecurityStatus(message);
        default: return false;
    }
}

bool Unavailable(const std::optional<int>& status) {
    return status && (*status == 502 || *status == 503 || *status == 504);
}

// The lines of the last response in a header dump.
std::string_view FinalHead(std::string_view dump) {
    std::size_t last = std::string_view::npos;
    for (std::size_t at = 0; at < dump.size();) {
        if (dump.substr(at, 5) == "HTTP/") last = at;
        const std::size_t end = dump.find('\n', at);
        if (end == std::string_view::npos) break;
        at = end + 1;
    }
    return last == std::string_view::npos ? std::string_view() : dump.substr(last);
}

}  // namespace

RunVerdict DownloadVerdict(unsigned long curlExit, std::string_view headerDump, std::string_view curlMessage) {
    const auto status = FinalStatus(headerDump);
    if (curlExit == 0 && status == 200) return RunVerdict::Done;
    if (Unavailable(status)) return RunVerdict::TryAgain;
    // A transport failure after an answer other than 200 began is that answer's, not the route's.
    if (TransportFailed(curlExit, curlMessage) && (!status || *status == 200)) return RunVerdict::TryAgain;
    return RunVerdict::Failed;
}

RunVerdict DeleteVerdict(unsigned long curlExit, std::string_view headerDump, std::string_view curlMessage) {
    const auto status = FinalStatus(headerDump);
    if (Unavailable(status) || (TransportFailed(curlExit, curlMessage) && !status)) return RunVerdict::TryAgain;
    return RunVerdict::Done;
}

std::optional<std::string> SignInChallenge(std::string_view dump) {
    const auto status = FinalStatus(dump);
    if (status != 401 && status != 407) return std::nullopt;
    const std::string_view header = *status == 401 ? "www-authenticate:" : "proxy-authenticate:";
    std::string schemes;
    const std::string_view head = FinalHead(dump);
    for (std::size_t at = 0; at < head.size();) {
        std::size_t end = head.find('\n', at);
        if (end == std::string_view::npos) end = head.size();
        std::string_view line = head.substr(at, end - at);
        at = end + 1;
        if (line.size() < header.size()) continue;
        bool named = true;
        for (std::size_t i = 0; i < header.size(); ++i) {
            const char c = line[i] >= 'A' && line[i] <= 'Z' ? static_cast<char>(line[i] + 32) : line[i];
            named = named && c == header[i];
        }
        if (!named) continue;
        // Challenges are separated by commas; a piece that begins with a token and no '='
        // names a scheme ("Negotiate", "Basic realm=\"x\"", "NTLM").
        bool quoted = false;
        std::size_t piece = header.size();
        for (std::size_t i = header.size(); i <= line.size(); ++i) {
            const char c = i < line.size() ? line[i] : ',';
            if (c == '"') quoted = !quoted;
            if (c != ',' || quoted) continue;
            std::string_view p = line.substr(piece, i - piece);
            piece = i + 1;
            while (!p.empty() && (p.front() == ' ' || p.front() == '\t')) p.remove_prefix(1);
            const std::size_t token = p.find_first_of(" \t\r=");
            const std::string_view name = p.substr(0, token);
            if (name.empty() || (token != std::string_view::npos && p[token] == '=')) continue;
            if (!schemes.empty()) schemes += ", ";
            schemes += name;
        }
    }
    return std::to_string(*status) + (schemes.empty() ? std::string() : " " + schemes);
}

std::optional<int> FinalStatus(std::string_view dump) {
    std::optional<int> status;
    std::size_t pos = 0;
    while (pos < dump.size()) {
        std::size_t end = dump.find('\n', pos);
        if (end == std::string_view::npos) end = dump.size();
        const std::string_view line = dump.substr(pos, end - pos);
        pos = end + 1;
        if (line.substr(0, 5) != "HTTP/") continue;
        const std::size_t blank = line.find(' ');
        if (blank == std::string_view::npos || line.size() < blank + 4) {
            status.reset();
            continue;
        }
        int code = 0;
        bool digits = true;
        for (char c : line.substr(blank + 1, 3)) {
            digits = digits && c >= '0' && c <= '9';
            code = code * 10 + (c - '0');
        }
        const bool ends = line.size() == blank + 4 || line[blank + 4] == ' ' || line[blank + 4] == '\r';
        if (digits && ends && code >= 100 && code <= 599)
            status = code;
        else
            status.reset();
    }
    // Interim answers only (a cut after 100 Continue or 103 Early Hints): no answer yet.
    if (status && *status < 200) status.reset();
    return status;
}

std::optional<unsigned> RetryDelayMs(unsigned triesMade, unsigned long long sinceFirstTryMs) {
    if (triesMade == 0 || triesMade >= kRunTries) return std::nullopt;
    const unsigned delay = 1000u << (triesMade - 1);
    if (sinceFirstTryMs + delay > kRetryWindowMs) return std::nullopt;
    return delay;
}

bool IsTransientMoveError(unsigned long error, bool targetReadOnlyOrFolder) {
    switch (error) {
        case 32:    // ERROR_SHARING_VIOLATION
        case 33:    // ERROR_LOCK_VIOLATION
        case 1224:  // ERROR_USER_MAPPED_FILE
            return true;
        case 5:  // ERROR_ACCESS_DENIED: a handle without delete sharing on the target, unless
                 // the target itself refuses
            return !targetReadOnlyOrFolder;
        default:
            return false;
    }
}

unsigned MoveRetryDelayMs(unsigned triesMade) {
    if (triesMade == 0) return 0;
    return triesMade >= 6 ? 1000u : std::min(1000u, 50u << (triesMade - 1));
}

}  // namespace tessel
