// COM at the boundary: ComPtr for interfaces, owners for VARIANTs and BSTRs.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "base/text.h"
#include "base/wide_win.h"

namespace tessel {

using Microsoft::WRL::ComPtr;

// A VARIANT that clears itself.
class ScopedVariant {
public:
    ScopedVariant() { ::VariantInit(&v_); }
    ~ScopedVariant() { ::VariantClear(&v_); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    VARIANT* get() { return &v_; }

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

// The string a VARIANT argument holds (BSTR, possibly behind a by-reference variant).
WideString VariantText(const VARIANT* v);

}  // namespace tessel
