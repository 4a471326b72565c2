#include "events/transfer_commands.h"

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
// reads no configuration file of its own only when that is its first argument.
bool AppendTool(WideString& line, WideView toolPath) {
    toolPath = CutAtNul(toolPath);
    if (toolPath.empty() || toolPath.find(u'"') != WideView::npos) return false;
    line += u'"';
    line += toolPath;
    line += u"\" -q";
    return true;
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
                                                WideView locationUrl) {
    locationUrl = CutAtNul(locationUrl);
    if (locationUrl.size() > kWidePieceUnits) return std::nullopt;
    WideString line;
    if (!AppendTool(line, toolPath)) return std::nullopt;
    line += u" -g -f -k --proto =http,https" + Bounds() + u" -D ";
    if (!AppendQuoted(line, headPath)) return std::nullopt;
    line += u" -o ";
    if (!AppendQuoted(line, partPath)) return std::nullopt;
    line += u" \"";
    line += CommandLineUrl(locationUrl);
    // Backslashes before the closing quote would escape it; doubled, they stay themselves.
    const std::size_t last = line.find_last_not_of(u'\\');
    line.append(line.size() - last - 1, u'\\');
    line += u'"';
    return Fitting(std::move(line));
}

std::optional<WideString> FormatDeleteCommand(WideView toolPath, std::string_view viewerBase, WideView fileName) {
    fileName = CutAtNul(fileName);
    if (fileName.size() > kWidePieceUnits) return std::nullopt;
    WideString line;
    if (!AppendTool(line, toolPath)) return std::nullopt;
    line += u" -g -k" + Bounds() + u" -X DELETE ";
    line += PercentEncode(CutAtNul(viewerBase), [](unsigned char b) { return b >= 0x80; });
    line += u"?file=";
    line += CommandLineQueryValue(fileName);
    return Fitting(std::move(line));
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

bool IsDeliveredDocument(unsigned long toolExit, std::string_view headerDump) {
    return toolExit == 0 && FinalStatus(headerDump) == 200;
}

}  // namespace tessel
