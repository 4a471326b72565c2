// Owners of kernel handles and registry keys: each is closed exactly once.
#pragma once

#include <windows.h>

namespace tessel {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.h_) { other.h_ = Traits::Invalid(); }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.h_);
            other.h_ = Traits::Invalid();
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
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;

}  // namespace tessel
