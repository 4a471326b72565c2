// Parameter-file reader: chunking never changes the result, whatever the form; no line's
// end or NUL gets into an entry.
#include <string_view>

#include "fuzz_support.h"
#include "params/parameter_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t chunk = 1 + data[0] % 17;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    tessel::ParameterMap whole, pieces;
    {
        tessel::ParameterFileParser p(whole);
        p.Feed(bytes);
        p.Finish();
    }
    {
        tessel::ParameterFileParser p(pieces);
        for (size_t i = 0; i < bytes.size(); i += chunk) p.Feed(bytes.substr(i, chunk));
        p.Finish();
    }
    FUZZ_CHECK(std::equal(whole.begin(), whole.end(), pieces.begin(), pieces.end()));
    for (const auto& [key, value] : whole) {
        FUZZ_CHECK(key.find('\n') == std::string::npos && value.find('\n') == std::string::npos);
        FUZZ_CHECK(key.find('\0') == std::string::npos && key.find('=') == std::string::npos);
    }
    return 0;
}
