#include "events/transfer_commands.h"

namespace tessel {

namespace {

// Each unit for which `encode` holds becomes %XX; the rest stays as it is.
template <typename Encode>
WideString PercentEncode(WideView text, Encode encode) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    WideString out;
    out.reserve(text.size());
    for (char16_t u : text) {
        if (!encode(u)) {
            out += u;
            continue;
        }
        out += u'%';
        out += kHex[(u >> 4) & 0xF];
        out += kHex[u & 0xF];
    }
    return out;
}

// "%S": the wide piece narrowed unit for unit; a unit above U+00FF fails the whole line.
bool AppendWide(std::string& line, WideView piece) {
    const auto narrow = TryNarrowLatin1(CutAtNul(piece));
    if (narrow) line += *narrow;
    return narrow.has_value();
}

bool AppendQuoted(std::string& line, std::string_view path) {
    if (!IsQuotablePath(path)) return false;
    line += '"';
    line += path;
    line += '"';
    return true;
}

// The tool path in quotes (Windows' first-argument rule then reads it whole), then -q: curl
// reads no configuration file of its own only when that is its first argument.
bool AppendTool(std::string& line, WideView toolPath) {
    toolPath = CutAtNul(toolPath);
    if (toolPath.empty() || toolPath.find(u'"') != WideView::npos) return false;
    line += '"';
    if (!AppendWide(line, toolPath)) return false;
    line += "\" -q";
    return true;
}

bool AllDigits(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

std::string Bounds() {
    return " --connect-timeout " + std::to_string(kConnectTimeoutSeconds) + " --speed-limit 1 --speed-time " +
           std::to_string(kStallSeconds);
}

std::optional<std::string> Fitting(std::string line) {
    if (line.size() > kCommandLineChars) return std::nullopt;
    return line;
}

}  // namespace

WideString EscapeCommandLineUrl(WideView text) {
    return PercentEncode(text, [](char16_t u) { return u <= 0x20 || u == u'"' || u == 0x7F; });
}

WideString EncodeQueryValue(WideView name) {
    return PercentEncode(name, [](char16_t u) { return u == u'&' || u == u'#' || u == u'+'; });
}

bool IsQuotablePath(std::string_view path) {
    return !path.empty() && path.find('"') == std::string_view::npos && path.find('\0') == std::string_view::npos &&
           path.back() != '\\' && path.back() != '/';
}

std::string_view FolderOf(std::string_view path) {
    const std::size_t end = path.find_last_of("\\/:");
    return end == std::string_view::npos ? std::string_view() : path.substr(0, end + 1);
}

bool IsWorkingFileName(std::string_view name) {
    constexpr std::string_view kPrefix = "~tessel-";
    if (name.size() < kPrefix.size() + 5 || name.substr(0, kPrefix.size()) != kPrefix) return false;
    const std::string_view ext = name.substr(name.size() - 5);
    if (ext != ".part" && ext != ".head") return false;
    const std::string_view unique = name.substr(kPrefix.size(), name.size() - kPrefix.size() - 5);
    const std::size_t dash = unique.find('-');
    return dash != std::string_view::npos && AllDigits(unique.substr(0, dash)) && AllDigits(unique.substr(dash + 1));
}

std::string SiblingPath(std::string_view outputPath, std::string_view unique, std::string_view extension) {
    std::string path(FolderOf(outputPath));
    path += "~tessel-";
    path += unique;
    path += extension;
    return path;
}

std::optional<std::string> FormatDownloadCommand(WideView toolPath, std::string_view headPath,
                                                 std::string_view partPath, WideView locationUrl) {
    locationUrl = CutAtNul(locationUrl);
    if (locationUrl.size() > kWidePieceUnits) return std::nullopt;
    const WideString url = EscapeCommandLineUrl(locationUrl);
    if (url.size() > kWidePieceUnits) return std::nullopt;
    std::string line;
    if (!AppendTool(line, toolPath)) return std::nullopt;
    line += " -g -f -k --proto =http,https" + Bounds() + " -D ";
    if (!AppendQuoted(line, headPath)) return std::nullopt;
    line += " -o ";
    if (!AppendQuoted(line, partPath)) return std::nullopt;
    line += " \"";
    if (!AppendWide(line, url)) return std::nullopt;
    // Backslashes before the closing quote would escape it; doubled, they stay themselves.
    const std::size_t last = line.find_last_not_of('\\');
    line.append(line.size() - last - 1, '\\');
    line += '"';
    return Fitting(std::move(line));
}

std::optional<std::string> FormatDeleteCommand(WideView toolPath, std::string_view viewerBase,
                                               WideView fileName) {
    fileName = CutAtNul(fileName);
    if (fileName.size() > kWidePieceUnits) return std::nullopt;
    const WideString name = EscapeCommandLineUrl(EncodeQueryValue(fileName));
    if (name.size() > kWidePieceUnits) return std::nullopt;
    std::string line;
    if (!AppendTool(line, toolPath)) return std::nullopt;
    line += " -g -k" + Bounds() + " -X DELETE ";
    line += CutAtNul(viewerBase);
    line += "?file=";
    if (!AppendWide(line, name)) return std::nullopt;
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
