// One plain-string registry value.
#pragma once

#include <windows.h>

#include <optional>

#include "base/text.h"

namespace tessel {

// REG_SZ on the native view, cut at its first NUL (an empty one is there, and empty);
// nothing when the key or the value is missing, of another type, or cannot be read.
std::optional<WideString> ReadRegistryString(HKEY root, const WideString& keyPath, const WideString& valueName);

}  // namespace tessel
