// Wide text is UTF-16 code units everywhere, so native tests see what Windows sees.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessel {

using WideString = std::u16string;
using WideView = std::u16string_view;

// Classifier for white space above U+00FF; Windows hands in GetStringTypeW.
using SpaceClassifier = bool (*)(char16_t);
// Converter of map bytes to wide text.
using NarrowToWide = WideString (*)(std::string_view);
// Converter of bytes in some code page to UTF-8; Windows hands in the ANSI code page.
using BytesToUtf8 = std::string (*)(std::string_view);

// The Unicode space separators, for native builds and tests.
bool PortableIsSpaceAbove00FF(char16_t c);
// ISO 8859-1: each byte becomes the unit of the same value.
WideString Latin1ToWide(std::string_view bytes);
std::string Latin1ToUtf8(std::string_view bytes);

// UTF-8, where a lone surrogate (which a Windows file name may hold) takes the three bytes
// of its code point, so every wide string comes back whole from Utf8ToWide.
std::string ToUtf8(WideView text);
// The reverse, surrogates' three-byte forms included; a byte that starts no such sequence
// becomes U+FFFD. NULs are kept.
WideString Utf8ToWide(std::string_view bytes);
// Well-formed UTF-8 in the strict sense: no surrogates, no overlong forms, at most U+10FFFF.
bool IsValidUtf8(std::string_view bytes);
bool IsHighSurrogate(char16_t u);

// Each byte for which `encode` holds becomes %XX; the rest stays as it is (ASCII, then).
template <typename Encode>
WideString PercentEncode(std::string_view bytes, Encode encode) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    WideString out;
    out.reserve(bytes.size());
    for (const unsigned char b : bytes) {
        if (!encode(b)) {
            out += static_cast<char16_t>(b);
            continue;
        }
        out += u'%';
        out += kHex[b >> 4];
        out += kHex[b & 0xF];
    }
    return out;
}
// Text up to its first NUL, as a C string API would see it.
std::string_view CutAtNul(std::string_view s);
WideView CutAtNul(WideView s);

// The text without leading and trailing units for which isSpace holds.
template <typename IsSpace>
WideView TrimView(WideView s, IsSpace isSpace) {
    std::size_t b = 0, e = s.size();
    while (b < e && isSpace(s[b])) ++b;
    while (e > b && isSpace(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// A path's file name without folder and without its last extension.
WideString FileStem(WideView path);

}  // namespace tessel
