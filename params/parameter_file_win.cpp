#include "params/parameter_file_win.h"

#include <windows.h>

#include "base/handles_win.h"
#include "base/wide_win.h"
#include "params/parameter_file.h"

namespace tessel {

bool ReadParameterFile(const WideString& path, ParameterMap& map) {
    FileHandle file(::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    ParameterFileParser parser(map, AnsiToUtf8);
    std::string chunk(64 * 1024, '\0');
    DWORD got = 0;
    // A read error ends the file as its end would.
    while (::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) && got > 0)
        parser.Feed(std::string_view(chunk.data(), got));
    parser.Finish();
    return true;
}

}  // namespace tessel
