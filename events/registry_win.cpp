#include "app/platform_win.h"

namespace tessel {

WideString ReadRegistryString(HKEY root, const WideString& keyPath, const WideString& valueName) {
    RegKey key;
    if (::RegOpenKeyExW(root, W(keyPath), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return {};
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.get(), W(valueName), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    std::wstring buffer(size / sizeof(wchar_t), L'\0');
    if (!buffer.empty() &&
        ::RegQueryValueExW(key.get(), W(valueName), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &size) != ERROR_SUCCESS)
        return {};
    // The stored terminator and anything after an embedded NUL go.
    return WideString(CutAtNul(WideView(reinterpret_cast<const char16_t*>(buffer.data()), buffer.size())));
}

std::optional<DWORD> RunAndWait(std::string commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &si, &pi))
        return std::nullopt;
    KernelHandle process(pi.hProcess);
    KernelHandle thread(pi.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    if (!::GetExitCodeProcess(process.get(), &code)) code = static_cast<DWORD>(-1);
    process.reset();  // the process handle, then the thread handle
    thread.reset();
    return code;
}

}  // namespace tessel
