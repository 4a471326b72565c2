#include "app/shell_logic.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace tessel {

namespace {
std::optional<WideString> LocalPageUrl(WideView modulePath, WideView page) {
    const std::size_t slash = modulePath.rfind(u'\\');
    if (slash == WideView::npos) return std::nullopt;
    WideString folder(modulePath.substr(0, slash));
    std::replace(folder.begin(), folder.end(), u'\\', u'/');
    return u"file:///" + folder + u"/html/" + WideString(page);
}
}  // namespace

std::optional<WideString> BuildStartPageUrl(WideView modulePath) { return LocalPageUrl(modulePath, u"progress.html"); }

bool IsStartPageAddress(WideView url) {
    constexpr WideView kSlash = u"/html/progress.html", kBackslash = u"\\html\\progress.html";
    const auto endsWith = [url](WideView tail) {
        return url.size() >= tail.size() && url.substr(url.size() - tail.size()) == tail;
    };
    return endsWith(kSlash) || endsWith(kBackslash);
}

std::optional<WideString> BuildUnreachablePageUrl(WideView modulePath, WideView reason) {
    auto url = LocalPageUrl(modulePath, u"unreachable.html");
    if (!url) return url;
    *url += u"?reason=";
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    for (const unsigned char b : ToUtf8(reason)) {
        const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '.';
        if (plain) {
            *url += static_cast<char16_t>(b);
        } else {
            *url += u'%';
            *url += kHex[b >> 4];
            *url += kHex[b & 0xF];
        }
    }
    return url;
}

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
    const std::string* width = map.Find(keys::kWindowWidth);
    if (!width) return kDefaultWindowSize;
    const std::string* height = map.Find(keys::kWindowHeight);
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

std::optional<WideString> DecodeNavigationRequest(const void* data, std::size_t size) {
    if (size != kNavigationRequestSize || data == nullptr) return std::nullopt;
    const auto* bytes = static_cast<const unsigned char*>(data) + kNavigationUrlOffset;
    WideString url;
    for (std::size_t i = 0; i < kNavigationUrlUnits; ++i) {
        const char16_t unit = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (unit == 0) return url;
        url.push_back(unit);
    }
    return std::nullopt;
}

}  // namespace tessel
