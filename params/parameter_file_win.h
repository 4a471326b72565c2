// The parameter file, opened by wide name.
#pragma once

#include "base/text.h"
#include "params/parameter_map.h"

namespace tessel {

// Byte mode; others may read and write meanwhile. A file without a byte-order mark that is
// not UTF-8 throughout is read in the ANSI code page. True whenever the file opened; a
// directory or a missing file gives false.
bool ReadParameterFile(const WideString& path, ParameterMap& map);

}  // namespace tessel
