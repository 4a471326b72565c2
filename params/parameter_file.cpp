#include "params/parameter_file.h"

#include "base/text.h"

namespace tessel {

void StoreParameterLine(std::string_view line, ParameterMap& map) {
    line = CutAtNul(line);
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return;
    std::string_view value = line.substr(eq + 1);
    if (!value.empty() && value.back() == '\r') value.remove_suffix(1);
    map.Store(std::string(line.substr(0, eq)), std::string(value));
}

void ParameterFileParser::Feed(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        std::string_view part = bytes.substr(0, lf);
        if (!sawNul_) {
            // Bytes after a NUL are ignored; stop collecting so a NUL-padded line stays small.
            const std::size_t nul = part.find('\0');
            line_.append(part.substr(0, nul));
            sawNul_ = nul != std::string_view::npos;
        }
        if (lf == std::string_view::npos) return;
        EndLine();
        bytes.remove_prefix(lf + 1);
    }
}

void ParameterFileParser::Finish() {
    if (!line_.empty()) EndLine();
}

void ParameterFileParser::EndLine() {
    StoreParameterLine(line_, map_);
    line_.clear();
    sawNul_ = false;
}

}  // namespace tessel
