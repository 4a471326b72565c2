#include "base/wide_win.h"

#include <windows.h>

#include <cwctype>
#include <string>

namespace tessel {

WideString ThreadAcpToWide(std::string_view bytes) {
    bytes = CutAtNul(bytes);
    if (bytes.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return FromW(out.data(), out.size());
}

bool PlatformIsWideSpace(char16_t c) { return ::iswspace(static_cast<wint_t>(c)) != 0; }

bool PlatformIsSpaceAbove00FF(char16_t c) {
    WORD type = 0;
    const wchar_t ch = static_cast<wchar_t>(c);
    return ::GetStringTypeW(CT_CTYPE1, &ch, 1, &type) && (type & C1_SPACE);
}

}  // namespace tessel
