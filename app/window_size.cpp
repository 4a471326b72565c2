#include "app/window_size.h"

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

}  // namespace tessel
