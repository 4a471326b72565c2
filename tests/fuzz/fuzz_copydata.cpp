// Navigation request: only 2,558-byte payloads decode, never past the URL field.
#include <optional>
#include "app/navigation_request.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string payload(reinterpret_cast<const char*>(data), size);
    if (!payload.empty() && payload[0] == 'P') payload.resize(2558, '\0');
    const auto url = tessel::DecodeNavigationRequest(payload.data(), payload.size());
    // The layout read by hand: UTF-16LE units from byte 510, up to a NUL within 1,024 units.
    std::optional<tessel::WideString> expected;
    if (payload.size() == 2558) {
        tessel::WideString units;
        for (size_t i = 510; i + 1 < 2558; i += 2) {
            const char16_t u = static_cast<char16_t>(static_cast<unsigned char>(payload[i]) |
                                                     (static_cast<unsigned char>(payload[i + 1]) << 8));
            if (u == 0) {
                expected = units;
                break;
            }
            units.push_back(u);
        }
    }
    FUZZ_CHECK(url == expected);
    return 0;
}
