// COM at the boundary: ComPtr for interfaces, owners for VARIANTs and BSTRs.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <wrl/client.h>

#include "base/text.h"
#include "base/wide_win.h"

namespace tessel {

using Microsoft::WRL::ComPtr;

// A VARIANT that clears itself.
class ScopedVariant {
public:
    ScopedVariant() { ::VariantInit(&m_v); }
    ~ScopedVariant() { ::VariantClear(&m_v); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    VARIANT* get() { return &m_v; }

private:
    VARIANT m_v;
};

class ScopedBstr {
public:
    ScopedBstr() = default;
    explicit ScopedBstr(const WideString& s) : m_b(::SysAllocStringLen(W(s), static_cast<UINT>(s.size()))) {}
    ~ScopedBstr() { ::SysFreeString(m_b); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;
    BSTR get() const { return m_b; }
    BSTR* put() {
        ::SysFreeString(m_b);
        m_b = nullptr;
        return &m_b;
    }
    WideString str() const { return m_b ? FromW(m_b, ::SysStringLen(m_b)) : WideString(); }

private:
    BSTR m_b = nullptr;
};

// The reference count of a COM object we implement: one reference from its making, and the
// last Release deletes it. The object answers AddRef and Release with these two.
template <typename Object>
class RefCounted {
protected:
    ULONG AddReference() { return ++m_refs; }
    ULONG DropReference() {
        const ULONG n = --m_refs;
        if (n == 0) delete static_cast<Object*>(this);
        return n;
    }
    ~RefCounted() = default;

private:
    std::atomic<ULONG> m_refs{1};
};

// COM for the calling thread while the owner lives (a thread of our own, which has none).
class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_MULTITHREADED) : m_hr(::CoInitializeEx(nullptr, model)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_hr)) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_hr;
};

// The string a VARIANT argument holds (BSTR, possibly behind a by-reference variant).
WideString VariantText(const VARIANT* v);

}  // namespace tessel
