// Owners of kernel handles, registry keys, file searches, safe arrays, WinINet handles,
// certificate chains, LocalAlloc'd memory, environment blocks, menus, loaded modules and the
// screen's device context: each is closed exactly once.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <wincrypt.h>
#include <wininet.h>

#include <utility>

namespace tessel {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : m_h(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.m_h) { other.m_h = Traits::Invalid(); }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.m_h);
            other.m_h = Traits::Invalid();
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }
    void reset(Handle h = Traits::Invalid()) {
        if (m_h != Traits::Invalid()) Traits::Close(m_h);
        m_h = h;
    }
    Handle get() const { return m_h; }
    Handle* put() {
        reset();
        return &m_h;
    }
    explicit operator bool() const { return m_h != Traits::Invalid(); }
    // Handed on: no longer closed here.
    Handle release() { return std::exchange(m_h, Traits::Invalid()); }

private:
    Handle m_h = Traits::Invalid();
};

// Handles whose "none" is null, closed by one function of the platform.
template <typename H, auto CloseFunction>
struct NullIsNone {
    using Handle = H;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseFunction(h); }
};
// Handles whose "none" is INVALID_HANDLE_VALUE (files, searches).
template <auto CloseFunction>
struct InvalidIsNone {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseFunction(h); }
};
// GetDC(nullptr) only: a window's DC is released with its window, which this cannot name.
inline void ReleaseScreenDc(HDC dc) { ::ReleaseDC(nullptr, dc); }

using KernelHandle = UniqueHandle<NullIsNone<HANDLE, &::CloseHandle>>;
using FileHandle = UniqueHandle<InvalidIsNone<&::CloseHandle>>;
using RegKey = UniqueHandle<NullIsNone<HKEY, &::RegCloseKey>>;
using FindHandle = UniqueHandle<InvalidIsNone<&::FindClose>>;
using SafeArray = UniqueHandle<NullIsNone<SAFEARRAY*, &::SafeArrayDestroy>>;
using InternetHandle = UniqueHandle<NullIsNone<HINTERNET, &::InternetCloseHandle>>;
using CertChain = UniqueHandle<NullIsNone<PCCERT_CHAIN_CONTEXT, &::CertFreeCertificateChain>>;
using LocalMemory = UniqueHandle<NullIsNone<void*, &::LocalFree>>;
// A block GetEnvironmentStringsW handed out.
using EnvironmentBlock = UniqueHandle<NullIsNone<wchar_t*, &::FreeEnvironmentStringsW>>;
using MenuHandle = UniqueHandle<NullIsNone<HMENU, &::DestroyMenu>>;
using LibraryHandle = UniqueHandle<NullIsNone<HMODULE, &::FreeLibrary>>;
using ScreenDc = UniqueHandle<NullIsNone<HDC, &ReleaseScreenDc>>;

}  // namespace tessel
