#include "base/registry_win.h"

#include <string>

#include "base/handles_win.h"
#include "base/wide_win.h"

namespace tessel {

std::optional<WideString> ReadRegistryString(HKEY root, const WideString& keyPath, const WideString& valueName) {
    RegKey key;
    if (::RegOpenKeyExW(root, W(keyPath), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.get(), W(valueName), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    // Room for every byte reported, an odd count included; a half unit reads as zero-padded.
    std::wstring buffer((size + 1) / sizeof(wchar_t), L'\0');
    DWORD room = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (!buffer.empty() &&
        ::RegQueryValueExW(key.get(), W(valueName), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &room) != ERROR_SUCCESS)
        return std::nullopt;
    // The stored terminator and anything after an embedded NUL go.
    return WideString(CutAtNul(WideView(reinterpret_cast<const char16_t*>(buffer.data()), buffer.size())));
}

}  // namespace tessel
