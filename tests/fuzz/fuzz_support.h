// Helpers shared by the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "base/text.h"

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

}  // namespace fuzz
