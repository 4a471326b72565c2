#include "delivery/transfer_commands.h"

#include <algorithm>

#include "delivery/proxy_route.h"

namespace tessel {

namespace {

// Nothing that ends an argument or starts another (controls, blank, double quote, DEL), and
// nothing outside ASCII (UTF-8 bytes, so a tool reading the ANSI code page gets them whole).
bool EndsArgumentOrIsNotAscii(unsigned char b) { return b <= 0x20 || b == '"' || b >= 0x7F; }

bool AppendQuoted(WideString& line, WideView path) {
    if (!IsQuotablePath(path)) return false;
    line += u'"';
    line += path;
    line += u'"';
    return true;
}

// The tool path in quotes (Windows' first-argument rule then reads it whole), then -q: curl
// reads no configuration file of its own only when that is its first argument. The session
// comes as configuration on its standard input.
bool AppendTool(WideString& line, WideView toolPath, const Road& road) {
    toolPath = CutAtNul(toolPath);
    if (toolPath.empty() || toolPath.find(u'"') != WideView::npos) return false;
    line += u'"';
    line += toolPath;
    line += u"\" -q";
    if (road.sessionOnInput) line += u" -K -";
    return true;
}

// An address as the one argument of --url, in quotes; backslashes before the closing quote
// would escape it, so they are doubled and stay themselves.
void AppendAddress(WideString& line, WideView encoded) {
    line += u" --url \"";
    line += encoded;
    const std::size_t last = line.find_last_not_of(u'\\');
    line.append(line.size() - last - 1, u'\\');
    line += u'"';
}

// An address piece as the tool gets it.
WideString CommandLineUrl(WideView url) { return PercentEncode(ToUtf8(url), EndsArgumentOrIsNotAscii); }

// A file name as a query value: '&', '#' and '+' would change the query's meaning; an
// encoding already present ("%26") is kept as it is.
WideString CommandLineQueryValue(WideView name) {
    return PercentEncode(ToUtf8(name), [](unsigned char b) {
        return EndsArgumentOrIsNotAscii(b) || b == '&' || b == '#' || b == '+';
    });
}

bool AllDigits(WideView s) { return !s.empty() && s.find_first_not_of(u"0123456789") == WideView::npos; }

WideString Bounds() {
    return u" --connect-timeout " + Latin1ToWide(std::to_string(kConnectTimeoutSeconds)) +
           u" --speed-limit 1 --speed-time " + Latin1ToWide(std::to_string(kStallSeconds));
}

bool IsBase64(WideView s) {
    return !s.empty() && s.find_first_not_of(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") ==
                             WideView::npos;
}

// Where Windows accepted the server, the tool is held to the key it accepted (its own checks
// are not Windows': an address that only an IP entry of the certificate names, say), or,
// where that key is not known, checks the certificate through the system's store itself; a
// revocation list out of reach is not taken for a revoked certificate there.
WideString TrustOptions(const Road& road) {
    if (!road.certificateAccepted) return u" -k";
    constexpr WideView kSha256 = u"sha256//";
    const WideView key = road.pinnedKey;
    if (key.substr(0, kSha256.size()) == kSha256 && IsBase64(key.substr(kSha256.size())))
        return u" -k --pinnedpubkey " + WideString(key);
    return u" --ssl-revoke-best-effort";
}

// The user's logon through the tool's SSPI ("-U :" and "-u :" name no one: the logged-on
// user), for a challenge only: a proxy or server that asks for nothing is sent nothing. The
// server gets Negotiate or NTLM alone, never a Basic answer with empty credentials.
WideString SignInOptions(const Road& road) {
    WideString options;
    if (road.proxySignIn && road.proxy.substr(0, 7) == u"http://") options += u" --proxy-anyauth -U :";
    if (road.serverSignIn) options += u" --negotiate --ntlm -u :";
    return options;
}

// The head, the body where there is one, and the tool's message (errors only, no progress).
bool AppendFiles(WideString& line, const RunFiles& files, bool withBody) {
    line += u" -sS --stderr ";
    if (!AppendQuoted(line, files.log)) return false;
    line += u" -D ";
    if (!AppendQuoted(line, files.head)) return false;
    if (!withBody) return true;
    line += u" -o ";
    return AppendQuoted(line, files.part);
}

std::optional<WideString> Fitting(WideString line) {
    if (line.size() > kCommandLineChars) return std::nullopt;
    return line;
}

}  // namespace

bool IsQuotablePath(WideView path) {
    return !path.empty() && path.find(u'"') == WideView::npos && path.find(u'\0') == WideView::npos &&
           path.back() != u'\\' && path.back() != u'/';
}

WideView FolderOf(WideView path) {
    const std::size_t end = path.find_last_of(u"\\/:");
    return end == WideView::npos ? WideView() : path.substr(0, end + 1);
}

std::optional<unsigned long> WorkingFileOwner(WideView name) {
    constexpr WideView kPrefix = u"~tessel-";
    if (name.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
    const std::size_t dot = name.rfind(u'.');
    if (dot == WideView::npos || dot < kPrefix.size()) return std::nullopt;
    const WideView ext = name.substr(dot);
    if (ext != u".part" && ext != u".head" && ext != u".log") return std::nullopt;
    const WideView unique = name.substr(kPrefix.size(), dot - kPrefix.size());
    const std::size_t dash = unique.find(u'-');
    if (dash == WideView::npos || !AllDigits(unique.substr(0, dash)) || !AllDigits(unique.substr(dash + 1)))
        return std::nullopt;
    unsigned long long pid = 0;
    for (char16_t c : unique.substr(0, dash)) {
        pid = pid * 10 + (c - u'0');
        if (pid > 0xFFFFFFFFull) return std::nullopt;
    }
    return static_cast<unsigned long>(pid);
}

bool IsAbsoluteFolder(WideView f) {
    const auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
    const bool drive = f.size() >= 3 && ((f[0] >= u'A' && f[0] <= u'Z') || (f[0] >= u'a' && f[0] <= u'z')) &&
                       f[1] == u':' && separator(f[2]);
    const bool share = f.size() >= 3 && separator(f[0]) && separator(f[1]) && !separator(f[2]);
    return drive || share;
}

WideString WorkingFileName(std::string_view unique, std::string_view extension) {
    return u"~tessel-" + Latin1ToWide(unique) + Latin1ToWide(extension);
}

WideString DownloadAddress(WideView locationUrl) { return CommandLineUrl(CutAtNul(locationUrl)); }

WideString DeleteAddress(std::string_view viewerBase, WideView fileName) {
    const std::string_view base = CutAtNul(viewerBase);
    const WideString encoded =
        PercentEncode(base, [](unsigned char b) { return EndsArgumentOrIsNotAscii(b) || b == '#'; });
    const char16_t* join = encoded.find(u'?') == WideString::npos ? u"?file=" : u"&file=";
    return encoded + join + CommandLineQueryValue(CutAtNul(fileName));
}

std::optional<WideString> FormatDownloadCommand(WideView toolPath, const RunFiles& files, WideView locationUrl,
                                                const Road& road) {
    locationUrl = CutAtNul(locationUrl);
    if (locationUrl.size() > kWidePieceUnits) return std::nullopt;
    WideString line;
    if (!AppendTool(line, toolPath, road)) return std::nullopt;
    line += u" -g -f" + TrustOptions(road) + u" --proto =http,https" + Bounds() + RouteOptions(road.proxy) +
            SignInOptions(road);
    if (!AppendFiles(line, files, true)) return std::nullopt;
    AppendAddress(line, DownloadAddress(locationUrl));
    return Fitting(std::move(line));
}

std::optional<WideString> FormatDeleteCommand(WideView toolPath, const RunFiles& files, std::string_view viewerBase,
                                              WideView fileName, const Road& road) {
    fileName = CutAtNul(fileName);
    if (fileName.size() > kWidePieceUnits) return std::nullopt;
    WideString line;
    if (!AppendTool(line, toolPath, road)) return std::nullopt;
    line += u" -g" + TrustOptions(road) + Bounds() + RouteOptions(road.proxy) + SignInOptions(road) + u" -X DELETE";
    if (!AppendFiles(line, files, false)) return std::nullopt;
    AppendAddress(line, DeleteAddress(viewerBase, fileName));
    return Fitting(std::move(line));
}

std::string SessionConfig(WideView cookies) {
    std::string value;
    for (const char c : ToUtf8(CutAtNul(cookies))) {
        if (c == '\r' || c == '\n') continue;
        if (c == '\\' || c == '"') value += '\\';
        value += c;
    }
    const std::size_t first = value.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return "header = \"Cookie: " + value.substr(first) + "\"\n";
}

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

RunVerdict DownloadVerdict(unsigned long toolExit, std::string_view headerDump, std::string_view toolMessage) {
    const auto status = FinalStatus(headerDump);
    if (toolExit == 0 && status == 200) return RunVerdict::Done;
    if (Unavailable(status)) return RunVerdict::TryAgain;
    // A transport failure after an answer other than 200 began is that answer's, not the road's.
    if (TransportFailed(toolExit, toolMessage) && (!status || *status == 200)) return RunVerdict::TryAgain;
    return RunVerdict::Failed;
}

RunVerdict DeleteVerdict(unsigned long toolExit, std::string_view headerDump, std::string_view toolMessage) {
    const auto status = FinalStatus(headerDump);
    if (Unavailable(status) || (TransportFailed(toolExit, toolMessage) && !status)) return RunVerdict::TryAgain;
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

std::optional<WideString> ToolFolder(WideView folder, WideView shortForm) {
    // MAX_PATH (260) units, terminator included, for a working file's full path.
    const auto fits = [](WideView f) { return !f.empty() && f.size() + kLongestWorkingName < 260; };
    if (fits(folder)) return WideString(folder);
    if (fits(shortForm)) return WideString(shortForm);
    return std::nullopt;
}

WideString ExtendedLengthPath(WideView path) {
    const auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
    if (path.size() >= 4 && separator(path[0]) && separator(path[1]) && (path[2] == u'?' || path[2] == u'.') &&
        separator(path[3]))
        return WideString(path);
    // The extended form is taken literally: only backslashes separate in it.
    const auto backslashed = [](WideView p) {
        WideString out(p);
        std::replace(out.begin(), out.end(), u'/', u'\\');
        return out;
    };
    if (path.size() >= 3 && path[1] == u':' && separator(path[2])) return u"\\\\?\\" + backslashed(path);
    if (path.size() >= 3 && separator(path[0]) && separator(path[1]) && !separator(path[2]))
        return u"\\\\?\\UNC\\" + backslashed(path.substr(2));
    return WideString(path);
}

WideString PlainPath(WideView path) {
    if (path.substr(0, 8) == u"\\\\?\\UNC\\") return u"\\\\" + WideString(path.substr(8));
    if (path.substr(0, 4) == u"\\\\?\\") return WideString(path.substr(4));
    return WideString(path);
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
        if (digits && ends)
            status = code;
        else
            status.reset();
    }
    return status;
}

}  // namespace tessel
