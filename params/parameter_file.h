// Launch parameters read from a file: one key=value per line, bytes kept as they are.
#pragma once

#include <string_view>

#include "params/parameter_map.h"

namespace tessel {

// Feeds file bytes in any chunking; lines end at LF and count up to their first NUL.
// A line longer than 4095 bytes is taken whole: cutting or splitting it would store a
// wrong value or invent a parameter from its tail.
class ParameterFileParser {
public:
    explicit ParameterFileParser(ParameterMap& map) : map_(map) {}
    void Feed(std::string_view bytes);
    void Finish();  // the last line need not end with LF

private:
    void EndLine();
    ParameterMap& map_;
    std::string line_;
    bool sawNul_ = false;
};

// One parameter line: the key before the first '=', the value after it with one
// trailing CR removed. A line without '=' stores nothing.
void StoreParameterLine(std::string_view line, ParameterMap& map);

}  // namespace tessel
