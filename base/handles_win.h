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

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::RegCloseKey(h); }
};
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindClose(h); }
};
struct SafeArrayTraits {
    using Handle = SAFEARRAY*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::SafeArrayDestroy(h); }
};
struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::InternetCloseHandle(h); }
};
struct CertChainTraits {
    using Handle = PCCERT_CHAIN_CONTEXT;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::CertFreeCertificateChain(h); }
};
struct LocalMemoryTraits {
    using Handle = void*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::LocalFree(h); }
};
// A block GetEnvironmentStringsW handed out.
struct EnvironmentStringsTraits {
    using Handle = wchar_t*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::FreeEnvironmentStringsW(h); }
};
struct MenuTraits {
    using Handle = HMENU;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DestroyMenu(h); }
};
struct LibraryTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::FreeLibrary(h); }
};
// GetDC(nullptr) only: a window's DC is released with its window, which this cannot name.
struct ScreenDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::ReleaseDC(nullptr, h); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using SafeArray = UniqueHandle<SafeArrayTraits>;
using InternetHandle = UniqueHandle<InternetHandleTraits>;
using CertChain = UniqueHandle<CertChainTraits>;
using LocalMemory = UniqueHandle<LocalMemoryTraits>;
using EnvironmentBlock = UniqueHandle<EnvironmentStringsTraits>;
using MenuHandle = UniqueHandle<MenuTraits>;
using LibraryHandle = UniqueHandle<LibraryTraits>;
using ScreenDc = UniqueHandle<ScreenDcTraits>;

}  // namespace tessel
