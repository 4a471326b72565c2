#include "viewer/post_data_win.h"

#include <oleauto.h>

#include <string>
#include <utility>

#include "base/handles_win.h"
#include "base/wide_win.h"
#include "viewer/text_mode.h"

namespace tessel {

namespace {

// Owns a SAFEARRAY until it is handed to a variant.
struct SafeArrayOwner {
    SAFEARRAY* p = nullptr;
    ~SafeArrayOwner() {
        if (p) ::SafeArrayDestroy(p);
    }
    SAFEARRAY* release() { return std::exchange(p, nullptr); }
};

}  // namespace

bool LoadPostData(const WideString& inputPath, VARIANT& postData, VARIANT& headers) {
    if (inputPath.empty()) return true;
    FileHandle file(::CreateFileW(W(inputPath), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return true;
    LARGE_INTEGER size{};
    // The count travels as a signed 32-bit number; a larger document can't be sent.
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart >= 0x7FFFFFFF) return true;
    const ULONG capacity = static_cast<ULONG>(size.QuadPart);

    // Read straight into the array, then convert in place: the document is held once. A
    // vector array is fixed-size on Windows; this one may shrink to the converted count.
    SAFEARRAYBOUND full{capacity, 0};
    SafeArrayOwner array{::SafeArrayCreate(VT_UI1, 1, &full)};
    if (!array.p) return false;
    unsigned char* bytes = nullptr;
    if (FAILED(::SafeArrayAccessData(array.p, reinterpret_cast<void**>(&bytes)))) return false;
    ULONG filled = 0;
    while (filled < capacity) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), bytes + filled, capacity - filled, &got, nullptr) || got == 0) break;
        filled += got;
    }
    const ULONG count = static_cast<ULONG>(TextModeInPlace(bytes, filled));
    ::SafeArrayUnaccessData(array.p);
    if (count != capacity) {
        SAFEARRAYBOUND bound{count, 0};
        if (FAILED(::SafeArrayRedim(array.p, &bound))) return false;
    }
    BSTR line = ::SysAllocString(L"Content-Type: text/xml\r\n");
    if (!line) return false;
    V_VT(&postData) = VT_ARRAY | VT_UI1;
    V_ARRAY(&postData) = array.release();
    V_VT(&headers) = VT_BSTR;
    V_BSTR(&headers) = line;
    return true;
}

}  // namespace tessel
