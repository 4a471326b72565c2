// Transfer-tool command lines: within their buffer, and never more arguments than the format.
#include <string_view>

#include "events/page_events.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const size_t cut = bytes.find('\n');
    const std::string output(bytes.substr(0, cut));
    const std::string_view rest = cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);
    const tessel::WideString location =
        fuzz::Units(reinterpret_cast<const uint8_t*>(rest.data()), rest.size());
    const tessel::WideString tool = u"C:\\Tools\\curl.exe";

    if (const auto line = tessel::FormatDownloadCommand(tool, output, location)) {
        FUZZ_CHECK(line->size() <= tessel::kCommandLineChars);
        const auto args = fuzz::SplitCommandLine(*line);
        FUZZ_CHECK(args.size() == 4);
        FUZZ_CHECK(args[1] == "-fko");
        FUZZ_CHECK(args[2] == std::string(tessel::CutAtNul(output)));
    }
    const tessel::WideString name = tessel::ResultFileName(location);
    if (const auto line = tessel::FormatDeleteCommand(tool, "http://h/viewer", name)) {
        FUZZ_CHECK(line->size() <= tessel::kCommandLineChars);
        const auto args = fuzz::SplitCommandLine(*line);
        FUZZ_CHECK(args.size() == 4);
        FUZZ_CHECK(args[3].rfind("http://h/viewer?file=", 0) == 0);
    }
    return 0;
}
