#include "start/text_mode.h"

namespace tessel {

std::size_t TextModeInPlace(unsigned char* data, std::size_t size) {
    std::size_t out = 0;
    for (std::size_t in = 0; in < size; ++in) {
        const unsigned char c = data[in];
        if (c == 0x1A) break;
        if (c == '\r' && in + 1 < size && data[in + 1] == '\n') continue;
        data[out++] = c;
    }
    return out;
}

}  // namespace tessel
