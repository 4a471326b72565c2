// Navigation request: only 2,558-byte payloads decode, never past the URL field.
#include "app/shell_logic.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string payload(reinterpret_cast<const char*>(data), size);
    if (!payload.empty() && payload[0] == 'P') payload.resize(tessel::kNavigationRequestSize, '\0');
    const auto url = tessel::DecodeNavigationRequest(payload.data(), payload.size());
    if (url) {
        FUZZ_CHECK(payload.size() == tessel::kNavigationRequestSize);
        FUZZ_CHECK(url->size() < tessel::kNavigationUrlUnits);
        FUZZ_CHECK(url->find(u'\0') == tessel::WideString::npos);
        const std::string again = tessel::EncodeNavigationRequest(u"", *url);
        FUZZ_CHECK(tessel::DecodeNavigationRequest(again.data(), again.size()) == url);
    }
    return 0;
}
