#include "events/page_events.h"

#include <array>

namespace tessel {

bool ContainsExitWord(WideView url) {
    static constexpr std::array<WideView, 3> kWords = {u"LogoutAndExit", u"RestartAndExit",
                                                        u"RebootAndExit"};
    for (WideView word : kWords)
        if (url.find(word) != WideView::npos) return true;
    return false;
}

bool IsResultLocation(WideView url) { return url.size() >= 4 && url.substr(url.size() - 4) == u".xml"; }

WideString ResultFileName(WideView url) {
    std::size_t end = url.size();
    while (end > 0 && url[end - 1] == u'/') --end;
    const std::size_t slash = url.rfind(u'/', end == 0 ? 0 : end - 1);
    const std::size_t begin = (slash == WideView::npos || end == 0) ? 0 : slash + 1;
    return WideString(url.substr(begin, end - begin));
}

WideString EscapeCommandLineUrl(WideView text) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    WideString out;
    out.reserve(text.size());
    for (char16_t u : text) {
        if (u <= 0x20 || u == u'"' || u == 0x7F) {
            out += u'%';
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        } else {
            out += u;
        }
    }
    return out;
}

namespace {

// "%S": the wide piece narrowed unit for unit; a unit above U+00FF fails the whole line.
bool AppendWide(std::string& line, WideView piece) {
    piece = CutAtNul(piece);
    for (char16_t u : piece) {
        if (u > 0xFF) return false;
        line.push_back(static_cast<char>(static_cast<unsigned char>(u)));
    }
    return true;
}

std::optional<std::string> Fitting(std::string line) {
    if (line.size() > kCommandLineChars) return std::nullopt;
    return line;
}

}  // namespace

std::optional<std::string> FormatDownloadCommand(WideView toolPath, std::string_view outputPath,
                                                 WideView locationUrl) {
    outputPath = CutAtNul(outputPath);
    // A quote, or a backslash before the closing quote, would end the quoted path early.
    if (outputPath.find('"') != std::string_view::npos ||
        (!outputPath.empty() && outputPath.back() == '\\'))
        return std::nullopt;
    if (CutAtNul(locationUrl).size() > kWidePieceUnits) return std::nullopt;
    const WideString url = EscapeCommandLineUrl(CutAtNul(locationUrl));
    if (url.size() > kWidePieceUnits) return std::nullopt;
    std::string line;
    if (!AppendWide(line, toolPath)) return std::nullopt;
    line += " -fko \"";
    line += outputPath;
    line += "\" \"";
    if (!AppendWide(line, url)) return std::nullopt;
    line += '"';
    return Fitting(std::move(line));
}

std::optional<std::string> FormatDeleteCommand(WideView toolPath, std::string_view viewerBase,
                                               WideView fileName) {
    if (CutAtNul(fileName).size() > kWidePieceUnits) return std::nullopt;
    const WideString name = EscapeCommandLineUrl(CutAtNul(fileName));
    if (name.size() > kWidePieceUnits) return std::nullopt;
    std::string line;
    if (!AppendWide(line, toolPath)) return std::nullopt;
    line += " -kX DELETE ";
    line += CutAtNul(viewerBase);
    line += "?file=";
    if (!AppendWide(line, name)) return std::nullopt;
    return Fitting(std::move(line));
}

}  // namespace tessel
