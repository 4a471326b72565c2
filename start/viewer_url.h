// The viewer page's address: "URL" plus every forwarded parameter, nothing escaped.
#pragma once

#include "params/parameter_map.h"
#include "base/text.h"

namespace tessel {

// Each narrow piece is converted up to its first NUL; the map is not changed.
WideString ComposeViewerUrl(const ParameterMap& map, NarrowToWide toWide);

}  // namespace tessel
