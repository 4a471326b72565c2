#include "events/transfer_commands.h"

#include <algorithm>

#include "events/proxy_route.h"

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
    if (name.size() < kPrefix.size() + 5 || name.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
    const WideView ext = name.substr(name.size() - 5);
    if (ext != u".part" && ext != u".head") return std::nullopt;
    const WideView unique = name.substr(kPrefix.size(), name.size() - kPrefix.size() - 5);
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

std::optional<WideString> FormatDownloadCommand(WideView toolPath, WideView headPath, WideView partPath,
                                                WideView locationUrl, const Road& road) {
    locationUrl = CutAtNul(locationUrl);
    if (locationUrl.size() > kWidePieceUnits) return std::nullopt;
    WideString line;
    if (!AppendTool(line, toolPath, road)) return std::nullopt;
    line += u" -g -f -k --proto =http,https" + Bounds() + RouteOptions(road.proxy) + u" -D ";
    if (!AppendQuoted(line, headPath)) return std::nullopt;
    line += u" -o ";
    if (!AppendQuoted(line, partPath)) return std::nullopt;
    AppendAddress(line, CommandLineUrl(locationUrl));
    return Fitting(std::move(line));
}

std::optional<WideString> FormatDeleteCommand(WideView toolPath, WideView headPath, std::string_view viewerBase,
                                              WideView fileName, const Road& road) {
    fileName = CutAtNul(fileName);
    if (fileName.size() > kWidePieceUnits) return std::nullopt;
    WideString line;
    if (!AppendTool(line, toolPath, road)) return std::nullopt;
    line += u" -g -k" + Bounds() + RouteOptions(road.proxy) + u" -X DELETE -D ";
    if (!AppendQuoted(line, headPath)) return std::nullopt;
    AppendAddress(line, PercentEncode(CutAtNul(viewerBase), EndsArgumentOrIsNotAscii) + u"?file=" +
                            CommandLineQueryValue(fileName));
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

// curl's exit codes for a transport that failed: could not connect (7), partial file (18),
// timed out (28), empty answer (52), send (55) and receive (56) failures.
bool TransportFailed(unsigned long exit) {
    switch (exit) {
        case 7: case 18: case 28: case 52: case 55: case 56: return true;
        default: return false;
    }
}

bool Unavailable(const std::optional<int>& status) {
    return status && (*status == 502 || *status == 503 || *status == 504);
}

}  // namespace

RunVerdict DownloadVerdict(unsigned long toolExit, std::string_view headerDump) {
    const auto status = FinalStatus(headerDump);
    if (toolExit == 0 && status == 200) return RunVerdict::Done;
    if (Unavailable(status)) return RunVerdict::TryAgain;
    // A transport failure after an answer other than 200 began is that answer's, not the road's.
    if (TransportFailed(toolExit) && (!status || *status == 200)) return RunVerdict::TryAgain;
    return RunVerdict::Failed;
}

RunVerdict DeleteVerdict(unsigned long toolExit, std::string_view headerDump) {
    const auto status = FinalStatus(headerDump);
    if (Unavailable(status) || (TransportFailed(toolExit) && !status)) return RunVerdict::TryAgain;
    return RunVerdict::Done;
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
