#include "base/text.h"

namespace tessel {

bool PortableIsSpaceAbove00FF(char16_t c) {
    return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

WideString Latin1ToWide(std::string_view bytes) {
    WideString out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) out.push_back(static_cast<char16_t>(b));
    return out;
}

std::optional<std::string> TryNarrowLatin1(WideView text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t u : text) {
        if (u > 0xFF) return std::nullopt;
        out.push_back(static_cast<char>(static_cast<unsigned char>(u)));
    }
    return out;
}

std::string NarrowLatin1(WideView text) { return TryNarrowLatin1(text).value_or(std::string()); }

std::string_view CutAtNul(std::string_view s) { return s.substr(0, s.find('\0')); }
WideView CutAtNul(WideView s) { return s.substr(0, s.find(u'\0')); }

WideString FileStem(WideView path) {
    const std::size_t sep = path.find_last_of(u"\\/");
    const WideView name = sep == WideView::npos ? path : path.substr(sep + 1);
    const std::size_t dot = name.rfind(u'.');
    return WideString(dot == WideView::npos ? name : name.substr(0, dot));
}

}  // namespace tessel
