// Small RAII owners and text bridges for the Windows side. Every handle and COM pointer
// the program holds goes through one of these.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <wininet.h>
#include <wrl/client.h>

#include <string>
#include <utility>

#include "params/text.h"

namespace tessel {

using Microsoft::WRL::ComPtr;

// wchar_t is UTF-16 on Windows, so the portable text type maps onto it without copying.
inline const wchar_t* W(const WideString& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline WideString FromW(const wchar_t* s) {
    return s ? WideString(reinterpret_cast<const char16_t*>(s)) : WideString();
}
inline WideString FromW(const wchar_t* s, std::size_t n) {
    return WideString(reinterpret_cast<const char16_t*>(s), n);
}

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, Traits::Invalid());
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }
    void reset(Handle h = Traits::Invalid()) {
        if (h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }
    Handle get() const { return h_; }
    Handle* put() {
        reset();
        return &h_;
    }
    explicit operator bool() const { return h_ != Traits::Invalid(); }

private:
    Handle h_ = Traits::Invalid();
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
struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::InternetCloseHandle(h); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using InternetHandle = UniqueHandle<InternetHandleTraits>;

// A VARIANT that clears itself.
class ScopedVariant {
public:
    ScopedVariant() { ::VariantInit(&v_); }
    ~ScopedVariant() { ::VariantClear(&v_); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    VARIANT* get() { return &v_; }
    const VARIANT& operator*() const { return v_; }
    VARIANT* operator->() { return &v_; }

private:
    VARIANT v_;
};

class ScopedBstr {
public:
    ScopedBstr() = default;
    explicit ScopedBstr(const WideString& s) : b_(::SysAllocStringLen(W(s), static_cast<UINT>(s.size()))) {}
    ~ScopedBstr() { ::SysFreeString(b_); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;
    BSTR get() const { return b_; }
    BSTR* put() {
        ::SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    WideString str() const { return b_ ? FromW(b_, ::SysStringLen(b_)) : WideString(); }

private:
    BSTR b_ = nullptr;
};

// Debug trace: invisible to users, readable by tests through the debugger channel.
void Trace(const WideString& text);

// The running program's full path.
WideString ModulePath();

// The string a VARIANT argument holds (BSTR, possibly behind a by-reference variant).
WideString VariantText(const VARIANT* v);

}  // namespace tessel
