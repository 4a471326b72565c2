// Helpers shared by the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "params/text.h"

#define FUZZ_CHECK(cond)                                                        \
    do {                                                                        \
        if (!(cond)) {                                                          \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                       \
        }                                                                       \
    } while (0)

namespace fuzz {

inline tessel::WideString Units(const uint8_t* data, size_t size) {
    tessel::WideString out;
    for (size_t i = 0; i + 1 < size; i += 2) out.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return out;
}

inline bool Contains(const tessel::WideString& haystack, const tessel::WideString& needle) {
    return haystack.find(needle) != tessel::WideString::npos;
}

// How a Windows C runtime splits a command line into arguments (the program's own rules).
inline std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> args;
    size_t i = 0;
    const size_t n = line.size();
    while (true) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= n) break;
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            size_t slashes = 0;
            while (i < n && line[i] == '\\') ++slashes, ++i;
            if (i < n && line[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2) {
                    arg += '"';
                } else if (quoted && i + 1 < n && line[i + 1] == '"') {
                    arg += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(slashes, '\\');
                if (i < n && (quoted || (line[i] != ' ' && line[i] != '\t'))) arg += line[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

}  // namespace fuzz
