#include "app/control_features_win.h"

#include <urlmon.h>

#include "base/trace_lines.h"
#include "base/trace_win.h"

namespace tessel {

void SetControlFeatures() {
    const HRESULT hr = ::CoInternetSetFeatureEnabled(FEATURE_DISABLE_NAVIGATION_SOUNDS, SET_FEATURE_ON_PROCESS, TRUE);
    if (SUCCEEDED(hr))
        Trace(lines::kNavigationSoundsOff);
    else
        TraceFailure(hr, "CoInternetSetFeatureEnabled(FEATURE_DISABLE_NAVIGATION_SOUNDS)", __FILE__, __LINE__);
}

}  // namespace tessel
