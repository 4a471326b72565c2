#include "app/navigation_request.h"

namespace tessel {

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
