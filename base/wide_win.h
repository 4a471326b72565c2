// Wide text at the Windows boundary: wchar_t is UTF-16 there, so the portable text type maps
// onto it without copying; the ANSI code page and the platform's space classes.
#pragma once

#include <string_view>

#include "base/text.h"

namespace tessel {

inline const wchar_t* W(const WideString& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline WideString FromW(const wchar_t* s) {
    return s ? WideString(reinterpret_cast<const char16_t*>(s)) : WideString();
}
inline WideString FromW(const wchar_t* s, std::size_t n) {
    return WideString(reinterpret_cast<const char16_t*>(s), n);
}

// Bytes in the system's ANSI code page (what a legacy program writes) as UTF-8.
std::string AnsiToUtf8(std::string_view bytes);
// iswspace and GetStringTypeW, the platform's own classifications.
bool PlatformIsWideSpace(char16_t c);
bool PlatformIsSpaceAbove00FF(char16_t c);

}  // namespace tessel
