// One plain-string registry value.
#pragma once

#include <windows.h>

#include "base/text.h"

namespace tessel {

// REG_SZ on the native view, cut at its first NUL; empty on any failure.
WideString ReadRegistryString(HKEY root, const WideString& keyPath, const WideString& valueName);

}  // namespace tessel
