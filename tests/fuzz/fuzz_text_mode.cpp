// Text-mode reading in place equals the plain reading into a new buffer.
#include <string>

#include "fuzz_support.h"
#include "start/text_mode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string expected;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0x1A) break;
        if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') continue;
        expected.push_back(static_cast<char>(data[i]));
    }
    std::string buffer(reinterpret_cast<const char*>(data), size);
    buffer.resize(tessel::TextModeInPlace(reinterpret_cast<unsigned char*>(buffer.data()), buffer.size()));
    FUZZ_CHECK(buffer == expected);
    return 0;
}
