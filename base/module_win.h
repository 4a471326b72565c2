// The running program's own path and name.
#pragma once

#include "base/text.h"

namespace tessel {

WideString ModulePath();
// The executable's base name ("tessel"): the window property and message captions use it.
WideString ModuleStem();

}  // namespace tessel
