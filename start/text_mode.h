// The C runtime's text-mode reading, done in place on bytes already read.
#pragma once

#include <cstddef>

namespace tessel {

// Turns each CR LF into LF and stops at the first Ctrl-Z (0x1A); NUL bytes are kept and a
// lone CR stays. Returns the count of bytes that remain at the start of the buffer.
std::size_t TextModeInPlace(unsigned char* data, std::size_t size);

}  // namespace tessel
