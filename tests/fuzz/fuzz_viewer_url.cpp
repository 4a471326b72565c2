// Viewer address: the URL value, then exactly the forwarded entries, nothing else.
#include <map>
#include <set>
#include <string_view>

#include "fuzz_support.h"
#include "params/parameter_file.h"
#include "start/viewer_url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tessel::ParameterMap map;
    tessel::ParameterFileParser p(map);
    p.Feed(std::string_view(reinterpret_cast<const char*>(data), size));
    p.Finish();
    const tessel::WideString url = tessel::ComposeViewerUrl(map, tessel::Latin1ToWide);
    // Expected, built apart from the program: the six reserved keys by name, the rest in
    // unsigned byte order (std::string's own), each value up to its first NUL.
    static const std::set<std::string> kReserved = {"ServerIP",   "URL",         "InputPath",
                                                    "OutputPath", "WindowWidth", "WindowHeight"};
    std::map<std::string, std::string> forwarded;
    std::string expected;
    for (const auto& [key, value] : map) {
        if (key == "URL") expected = value.substr(0, value.find('\0'));
        if (!kReserved.count(key)) forwarded[key] = value;
    }
    char separator = '?';
    for (const auto& [key, value] : forwarded) {
        expected += separator;
        expected += key.substr(0, key.find('\0')) + "=" + value.substr(0, value.find('\0'));
        separator = '&';
    }
    FUZZ_CHECK(url == tessel::Latin1ToWide(expected));
    return 0;
}
