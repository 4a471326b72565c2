// curl's command lines, read back by Windows' rules: its path whole, exactly
// the format's arguments, the working paths intact, the addresses in ASCII, whatever the
// location holds.
#include <string_view>

#include "page/page_events.h"
#include "delivery/curl_command.h"
#include "delivery/working_files.h"
#include "fuzz_support.h"
#include "tests/support/windows_argv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const char16_t* const kTools[] = {u"C:\\Program Files\\Common Files\\Quorvex\\curl.exe",
                                             u"C:\\Tools\\curl.exe", u"\\curl.exe", u"C:\\a  b\t c\\curl.exe"};
    static const char* const kToolsNarrow[] = {"C:\\Program Files\\Common Files\\Quorvex\\curl.exe",
                                               "C:\\Tools\\curl.exe", "\\curl.exe", "C:\\a  b\t c\\curl.exe"};
    const unsigned which = data[0] % 4;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t cut = bytes.find('\n');
    const tessel::WideString output = tessel::Utf8ToWide(bytes.substr(0, cut));
    const std::string_view rest = cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);
    const tessel::WideString location = fuzz::Units(reinterpret_cast<const uint8_t*>(rest.data()), rest.size());
    const tessel::WideString tool = kTools[which];
    const tessel::WideString folder(tessel::FolderOf(output));
    const tessel::WideString head = folder + tessel::WorkingFileName("1-0", ".head");
    const tessel::WideString part = folder + tessel::WorkingFileName("1-0", ".part");
    const auto ascii = [](const std::string& s) {
        for (char c : s) if (c <= 0 || c == 0x7F) return false;
        return true;
    };

    const tessel::RunFiles files{head, part, u"~l.log"};
    if (const auto line = tessel::FormatDownloadCommand(tool, files, location)) {
        FUZZ_CHECK(line->size() <= tessel::kCommandLineChars);
        const auto args = winargv::Split(tessel::ToUtf8(*line));
        FUZZ_CHECK(args.size() == 24);
        FUZZ_CHECK(args[0] == kToolsNarrow[which]);
        FUZZ_CHECK(args[1] == "-q" && args[2] == "-g");
        FUZZ_CHECK(args[18] == "-D" && args[19] == tessel::ToUtf8(head));
        FUZZ_CHECK(args[20] == "-o" && args[21] == tessel::ToUtf8(part));
        FUZZ_CHECK(args[22] == "--url");
        FUZZ_CHECK(args[23].find_first_of(" \t\"") == std::string::npos && ascii(args[23]));
    }
    const tessel::WideString name = tessel::ResultFileName(location);
    if (const auto line = tessel::FormatDeleteCommand(tool, files, "http://h/viewer", name)) {
        FUZZ_CHECK(line->size() <= tessel::kCommandLineChars);
        const auto args = winargv::Split(tessel::ToUtf8(*line));
        FUZZ_CHECK(args.size() == 21);
        FUZZ_CHECK(args[0] == kToolsNarrow[which] && args[1] == "-q");
        FUZZ_CHECK(args[12] == "-X" && args[13] == "DELETE" && args[19] == "--url");
        FUZZ_CHECK(args[20].rfind("http://h/viewer?file=", 0) == 0);
        // One query parameter: nothing of the name can start another or a fragment.
        FUZZ_CHECK(args[20].find_first_of("&#+", 21) == std::string::npos && ascii(args[20]));
    }
    // A viewer base of any bytes stays one address too, whose query no '#' ends early.
    if (const auto line = tessel::FormatDeleteCommand(tool, files, rest, u"r.xml")) {
        const auto args = winargv::Split(tessel::ToUtf8(*line));
        FUZZ_CHECK(args.size() == 21 && args[19] == "--url");
        FUZZ_CHECK(args[20].find_first_of(" \t\"#") == std::string::npos && ascii(args[20]));
    }
    return 0;
}
