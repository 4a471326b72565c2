#include "base/file_win.h"

#include <windows.h>

#include <algorithm>

#include "base/handles_win.h"
#include "base/wide_win.h"

namespace tessel {

std::optional<std::string> ReadWholeFile(const WideString& path, std::size_t limit) {
    FileHandle file(::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char chunk[64 * 1024];
    DWORD got = 0;
    while (bytes.size() < limit &&
           ::ReadFile(file.get(), chunk, static_cast<DWORD>(std::min(sizeof chunk, limit - bytes.size())), &got,
                      nullptr) &&
           got > 0)
        bytes.append(chunk, got);
    return bytes;
}

}  // namespace tessel
