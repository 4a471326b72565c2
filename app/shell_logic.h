// Pure pieces of the application shell: start page address, window size and the
// WM_COPYDATA navigation request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "params/parameter_map.h"
#include "base/text.h"

namespace tessel {

// "file:///" + executable folder with '/' for '\' + "/html/progress.html", nothing escaped.
// Empty when the path holds no backslash (no folder to point into).
std::optional<WideString> BuildStartPageUrl(WideView modulePath);
// The start page as the control names it in its events (file URL or path form).
bool IsStartPageAddress(WideView url);
// The page shown when the viewer cannot be reached, beside the start page, with the reason
// in its query (percent-encoded as UTF-8).
std::optional<WideString> BuildUnreachablePageUrl(WideView modulePath, WideView reason);

struct WindowSize {
    int width;
    int height;
};
inline constexpr WindowSize kDefaultWindowSize{1260, 786};

// atoi-like: leading white space, optional sign, digits up to the first non-digit.
// Empty when there is no digit or the number does not fit 32 bits signed.
std::optional<int> ParseLeadingInt(std::string_view text);

// Both "WindowWidth" and "WindowHeight" present and readable, else 1260 x 786. A value
// that cannot be read gives the default size rather than a half-made window.
WindowSize ChooseWindowSize(const ParameterMap& map);

// The display's scale: sizes are given in 96-dpi pixels and the window keeps the physical
// size Windows would give them. Rounded to the nearest pixel (a half goes up); a size of 0 or
// below, a dpi of 0 or below, or a result that would not fit an int is passed on as given.
inline constexpr int kBaseDpi = 96;
int ScaleToDpi(int pixels, int dpi);
WindowSize ScaleToDpi(WindowSize size, int dpi);

// The optical zoom (percent) a page needs on this display when the control did not zoom it
// itself (it still reads 100 % on a scaled display); empty when nothing is to change.
std::optional<int> ZoomToApply(int dpi, int currentZoomPercent);

// The navigation request another process sends with WM_COPYDATA.
inline constexpr std::size_t kNavigationRequestSize = 2558;
inline constexpr std::size_t kNavigationUrlOffset = 510;
inline constexpr std::size_t kNavigationUrlUnits = 1024;

// The URL field up to its terminator; empty for a wrong size, a null pointer or a URL
// field without a terminator inside its 1,024 units (malformed: ignored).
std::optional<WideString> DecodeNavigationRequest(const void* data, std::size_t size);

}  // namespace tessel
