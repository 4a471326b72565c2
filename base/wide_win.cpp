#include "base/wide_win.h"

#include <windows.h>

#include <cwctype>
#include <string>

namespace tessel {

std::string AnsiToUtf8(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return {};
    const int size = static_cast<int>(bytes.size());
    const int n = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), n);
    return ToUtf8(FromW(wide.data(), wide.size()));
}

bool PlatformIsWideSpace(char16_t c) { return ::iswspace(static_cast<wint_t>(c)) != 0; }

bool PlatformIsSpaceAbove00FF(char16_t c) {
    WORD type = 0;
    const wchar_t ch = static_cast<wchar_t>(c);
    return ::GetStringTypeW(CT_CTYPE1, &ch, 1, &type) && (type & C1_SPACE);
}

}  // namespace tessel
