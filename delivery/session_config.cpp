#include "delivery/session_config.h"

namespace tessel {

std::string SessionConfig(WideView cookies) {
    std::string value;
    for (const char c : ToUtf8(CutAtNul(cookies))) {
        if (c == '\r' || c == '\n') continue;
        if (c == '\\' || c == '"') value += '\\';
        value += c;
    }
    const std::size_t first = value.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return "header = \"Cookie: " + value.substr(first) + "\"\n";
}

}  // namespace tessel
