#include "start/post_data_win.h"

#include <oleauto.h>

#include <string>
#include <utility>

#include "base/handles_win.h"
#include "base/wide_win.h"
#include "start/text_mode.h"

namespace tessel {


void LoadPostData(const WideString& inputPath, VARIANT& postData, VARIANT& headers) {
    if (inputPath.empty()) return;
    FileHandle file(::CreateFileW(W(inputPath), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    LARGE_INTEGER size{};
    // The count travels as a signed 32-bit number; a larger document can't be sent.
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart >= 0x7FFFFFFF) return;
    const ULONG capacity = static_cast<ULONG>(size.QuadPart);

    // Read straight into the array, then convert in place: the document is held once. A
    // vector array is fixed-size on Windows; this one may shrink to the converted count.
    SAFEARRAYBOUND full{capacity, 0};
    SafeArray array(::SafeArrayCreate(VT_UI1, 1, &full));
    if (!array.get()) return;
    unsigned char* bytes = nullptr;
    if (FAILED(::SafeArrayAccessData(array.get(), reinterpret_cast<void**>(&bytes)))) return;
    ULONG filled = 0;
    while (filled < capacity) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), bytes + filled, capacity - filled, &got, nullptr) || got == 0) break;
        filled += got;
    }
    const ULONG count = static_cast<ULONG>(TextModeInPlace(bytes, filled));
    ::SafeArrayUnaccessData(array.get());
    if (count != capacity) {
        SAFEARRAYBOUND bound{count, 0};
        if (FAILED(::SafeArrayRedim(array.get(), &bound))) return;
    }
    BSTR line = ::SysAllocString(L"Content-Type: text/xml\r\n");
    if (!line) return;
    V_VT(&postData) = VT_ARRAY | VT_UI1;
    V_ARRAY(&postData) = array.release();
    V_VT(&headers) = VT_BSTR;
    V_BSTR(&headers) = line;
}

}  // namespace tessel
