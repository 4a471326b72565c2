// The window's size: the host's parameters, the display's scale, the page's zoom.
#pragma once

#include <optional>
#include <string_view>

#include "params/parameter_map.h"

namespace tessel {

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

// A window's rectangle in screen pixels.
struct ScreenRect {
    int left, top, right, bottom;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const ScreenRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};
// What window.open asked for a popup, in 96-dpi pixels: its position and its size.
struct PopupRequest {
    std::optional<int> left, top, width, height;
};
// A popup's rectangle: what the page asked for, scaled to the DPI (a size is the page's, so
// the window's frame is added to it), the rest as `current`, moved and cut so that it lies
// within the monitor's work area.
ScreenRect PlacePopup(const PopupRequest& asked, ScreenRect current, ScreenRect workArea, int dpi, int frameWidth = 0,
                      int frameHeight = 0);
// Where the n-th open popup (from 0) first goes: three quarters of its owner's size, cascaded
// down and right from the owner's corner by `step` pixels each, back to the first place where
// it would leave the work area.
ScreenRect CascadePopup(ScreenRect owner, ScreenRect workArea, int index, int step);

// The optical zoom for a page whose window moved from `oldDpi` to `newDpi`: the new scale
// where the page was at 100 % or at the old scale (the control's own, or ours); a zoom of
// the user's own keeps its share of the scale. Never compounded: the result is the zoom to
// set, not a factor. Empty when nothing is to change.
std::optional<int> ZoomForDpiChange(int newDpi, int oldDpi, int currentZoomPercent);

}  // namespace tessel
