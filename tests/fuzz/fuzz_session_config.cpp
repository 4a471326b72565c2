// The session for curl's standard input: for any cookies, nothing or one line that is curl's
// header option alone, whose quoted value reads back, by curl's config rules, to the cookies
// up to their first NUL, without their line breaks and leading blanks.
#include <string>

#include "delivery/session_config.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const tessel::WideString cookies = fuzz::Units(data, size);
    const std::string config = tessel::SessionConfig(cookies);

    // Expected, by hand: what one line cannot hold goes, and the blanks before the value.
    std::string expected;
    for (const char c : tessel::ToUtf8(cookies.substr(0, cookies.find(u'\0'))))
        if (c != '\r' && c != '\n') expected += c;
    expected.erase(0, expected.find_first_not_of(' '));
    if (expected.empty()) {
        FUZZ_CHECK(config.empty());
        return 0;
    }

    // One line: no CR or NUL anywhere, its only LF at the end.
    FUZZ_CHECK(!config.empty() && config.back() == '\n');
    FUZZ_CHECK(config.find_first_of(std::string("\r\n\0", 3)) == config.size() - 1);
    const std::string prefix = "header = \"Cookie: ";
    FUZZ_CHECK(config.compare(0, prefix.size(), prefix) == 0);

    // curl's reading of a quoted value: a backslash takes the next byte (t, n, r, v as
    // escapes), the first bare quote ends it.
    std::string value;
    size_t at = prefix.size();
    for (; at < config.size() && config[at] != '"'; ++at) {
        if (config[at] != '\\') {
            value += config[at];
            continue;
        }
        FUZZ_CHECK(++at < config.size());
        const char c = config[at];
        value += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c == 'v' ? '\v' : c;
    }
    // The closing quote, then the line's end: nothing curl could read as another option.
    FUZZ_CHECK(at + 2 == config.size() && config[at] == '"');
    FUZZ_CHECK(value == expected);
    return 0;
}
