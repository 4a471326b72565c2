#include "app/window_size.h"

#include <algorithm>

#include <climits>

namespace tessel {

std::optional<int> ParseLeadingInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return std::nullopt;
    return static_cast<int>(value);
}

WindowSize ChooseWindowSize(const ParameterMap& map) {
    const auto width = map.Value(keys::kWindowWidth);
    if (!width) return kDefaultWindowSize;
    const auto height = map.Value(keys::kWindowHeight);
    if (!height) return kDefaultWindowSize;
    const auto h = ParseLeadingInt(*height);
    const auto w = ParseLeadingInt(*width);
    if (!h || !w) return kDefaultWindowSize;
    return {*w, *h};
}

int ScaleToDpi(int pixels, int dpi) {
    if (pixels <= 0 || dpi <= 0) return pixels;
    const long long scaled = (static_cast<long long>(pixels) * dpi + kBaseDpi / 2) / kBaseDpi;
    return scaled > INT_MAX ? pixels : static_cast<int>(scaled);
}

WindowSize ScaleToDpi(WindowSize size, int dpi) { return {ScaleToDpi(size.width, dpi), ScaleToDpi(size.height, dpi)}; }

std::optional<int> ZoomToApply(int dpi, int currentZoomPercent) {
    if (dpi <= 0 || dpi == kBaseDpi || currentZoomPercent != 100) return std::nullopt;
    return ScaleToDpi(100, dpi);
}

std::optional<int> ZoomForDpiChange(int newDpi, int oldDpi, int current) {
    if (newDpi <= 0 || oldDpi <= 0 || current <= 0) return std::nullopt;
    const int wanted = current == 100 || current == ScaleToDpi(100, oldDpi)
                           ? ScaleToDpi(100, newDpi)
                           : static_cast<int>((static_cast<long long>(current) * newDpi + oldDpi / 2) / oldDpi);
    if (wanted == current) return std::nullopt;
    return wanted;
}

namespace {
ScreenRect Within(ScreenRect r, ScreenRect area) {
    const int width = std::min(r.width(), area.width()), height = std::min(r.height(), area.height());
    const int left = std::max(area.left, std::min(r.left, area.right - width));
    const int top = std::max(area.top, std::min(r.top, area.bottom - height));
    return {left, top, left + width, top + height};
}
}  // namespace

ScreenRect PlacePopup(const PopupRequest& asked, ScreenRect current, ScreenRect workArea, int dpi, int frameWidth,
                      int frameHeight) {
    const auto scaled = [dpi](const std::optional<int>& v, int otherwise) {
        return v ? ScaleToDpi(*v, dpi) : otherwise;
    };
    const int width = std::max(1, asked.width ? ScaleToDpi(*asked.width, dpi) + frameWidth : current.width());
    const int height = std::max(1, asked.height ? ScaleToDpi(*asked.height, dpi) + frameHeight : current.height());
    const int left = scaled(asked.left, current.left), top = scaled(asked.top, current.top);
    return Within({left, top, left + width, top + height}, workArea);
}

ScreenRect CascadePopup(ScreenRect owner, ScreenRect workArea, int index, int step) {
    const int width = owner.width() * 3 / 4, height = owner.height() * 3 / 4;
    const int room = std::max(1, std::min((workArea.right - owner.left - width) / std::max(1, step),
                                          (workArea.bottom - owner.top - height) / std::max(1, step)));
    const int offset = step * (1 + index % room);
    return Within({owner.left + offset, owner.top + offset, owner.left + offset + width, owner.top + offset + height},
                  workArea);
}

}  // namespace tessel
