// A file read whole by its wide name.
#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <string>

#include "base/text.h"

namespace tessel {

// Opened for reading while others may read and write it; at most `limit` bytes (a read error
// ends it as its end would). Nothing when it cannot be opened: missing, a directory, no access.
std::optional<std::string> ReadWholeFile(const WideString& path,
                                         std::size_t limit = std::numeric_limits<std::size_t>::max());

}  // namespace tessel
