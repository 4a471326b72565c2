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
// Converter of map bytes to wide text; Windows hands in the thread's ANSI code page.
using NarrowToWide = WideString (*)(std::string_view);

// The Unicode space separators, for native builds and tests.
bool PortableIsSpaceAbove00FF(char16_t c);
// ISO 8859-1: each byte becomes the unit of the same value.
WideString Latin1ToWide(std::string_view bytes);
// U+0001..U+00FF become one byte each; any unit above U+00FF fails the whole string.
std::optional<std::string> TryNarrowLatin1(WideView text);
// The same, with a failure as empty text.
std::string NarrowLatin1(WideView text);
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
