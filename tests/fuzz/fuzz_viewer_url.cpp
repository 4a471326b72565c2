// Viewer address: the URL value, then exactly the forwarded entries, nothing else.
#include <string_view>

#include "fuzz_support.h"
#include "params/parameter_file.h"
#include "viewer/viewer_url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tessel::ParameterMap map;
    tessel::ParameterFileParser p(map);
    p.Feed(std::string_view(reinterpret_cast<const char*>(data), size));
    p.Finish();
    const tessel::WideString url = tessel::ComposeViewerUrl(map, tessel::Latin1ToWide);
    const std::string* base = map.Find("URL");
    const tessel::WideString start = tessel::Latin1ToWide(base ? *base : std::string());
    FUZZ_CHECK(url.compare(0, start.size(), start) == 0);
    size_t expected = start.size(), forwarded = 0;
    for (const auto& [key, value] : map) {
        if (tessel::IsReservedKey(key)) continue;
        ++forwarded;
        expected += key.size() + 1 + value.size() + 1;  // key=value and its separator
    }
    FUZZ_CHECK(url.size() == expected);
    FUZZ_CHECK(forwarded > 0 || url == start);
    return 0;
}
