// The page's session as curl's configuration on its standard input.
#pragma once

#include <string>

#include "base/text.h"

namespace tessel {

// The session's cookies ("a=1; b=2") as curl's configuration on its standard input: a
// Cookie header; empty when there are none. Line breaks and NULs cannot be part of it.
std::string SessionConfig(WideView cookies);

}  // namespace tessel
