// The navigation request another process sends with WM_COPYDATA.
#pragma once

#include <cstddef>
#include <optional>

#include "base/text.h"

namespace tessel {

inline constexpr std::size_t kNavigationRequestSize = 2558;
inline constexpr std::size_t kNavigationUrlOffset = 510;
inline constexpr std::size_t kNavigationUrlUnits = 1024;

// The URL field up to its terminator; empty for a wrong size, a null pointer or a URL
// field without a terminator inside its 1,024 units (malformed: ignored).
std::optional<WideString> DecodeNavigationRequest(const void* data, std::size_t size);

}  // namespace tessel
