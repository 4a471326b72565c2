#include "params/parameter_file_win.h"

#include <windows.h>

#include "base/file_win.h"
#include "base/wide_win.h"
#include "params/parameter_file.h"

namespace tessel {

bool ReadParameterFile(const WideString& path, ParameterMap& map) {
    const auto bytes = ReadWholeFile(path);
    if (!bytes) return false;
    ParameterFileParser parser(map, AnsiToUtf8);
    parser.Feed(*bytes);
    parser.Finish();
    return true;
}

}  // namespace tessel
