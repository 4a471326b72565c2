#include "base/module_win.h"

#include <windows.h>

#include <string>

#include "base/wide_win.h"

namespace tessel {

WideString ModulePath() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size()) return FromW(buf.c_str(), n);
        buf.resize(buf.size() * 2);  // truncated: long paths exist
    }
}

WideString ModuleStem() { return FileStem(ModulePath()); }

}  // namespace tessel
