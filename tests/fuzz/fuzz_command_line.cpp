// Command-line parser: stored keys and values come from the input, whole, as UTF-8.
#include "fuzz_support.h"
#include "params/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const tessel::WideString text = fuzz::Units(data, size);
    tessel::ParameterMap map;
    const bool any = tessel::ParseCommandLineParameters(text, map);
    const tessel::WideString upToNul(tessel::CutAtNul(tessel::WideView(text)));
    bool onlyQuotes = true;
    for (char16_t c : upToNul) onlyQuotes = onlyQuotes && c == u'"';
    FUZZ_CHECK(any == !onlyQuotes);
    if (!any) FUZZ_CHECK(map.empty());
    for (const auto& [key, value] : map) {
        FUZZ_CHECK(fuzz::Contains(upToNul, tessel::Utf8ToWide(key)));
        FUZZ_CHECK(fuzz::Contains(upToNul, tessel::Utf8ToWide(value)));
        FUZZ_CHECK(key.find('"') == std::string::npos && value.find('"') == std::string::npos);
    }
    return 0;
}
