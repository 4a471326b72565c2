#include "app/platform_win.h"
#include "params/parameter_file.h"

namespace tessel {

bool ReadParameterFile(const WideString& path, ParameterMap& map) {
    FileHandle file(::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    ParameterFileParser parser(map);
    std::string chunk(64 * 1024, '\0');
    DWORD got = 0;
    // A read error ends the file as its end would.
    while (::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) && got > 0)
        parser.Feed(std::string_view(chunk.data(), got));
    parser.Finish();
    return true;
}

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
