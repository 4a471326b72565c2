// The browser control's features the program sets for its own process before any control
// exists: nothing is written to the registry, nothing outlives the process.
#pragma once

#include <windows.h>

namespace tessel {

// Navigation sounds off: Windows would play its "start navigation" click on every navigation,
// the viewer's start, its post and each result check included. Traced.
void SetControlFeatures();

}  // namespace tessel
