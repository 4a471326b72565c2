#!/usr/bin/env python3
"""Writes the application icon: a printed page on a blue tile, 16 and 32 pixels."""
import struct
import sys


def image(size):
    rows = []
    for y in range(size):
        row = b""
        for x in range(size):
            m = size // 8
            page = m * 2 <= x < size - m * 2 and m <= y < size - m
            line = page and (y - m) % max(2, size // 8) == 1 and x < size - m * 3
            if line:
                px = (0x80, 0x50, 0x20, 255)
            elif page:
                px = (0xF8, 0xF8, 0xF8, 255)
            else:
                px = (0xB0, 0x60, 0x18, 255)  # BGRA
            row += bytes(px)
        rows.append(row)
    pixels = b"".join(reversed(rows))  # bottom-up
    mask = b"\0" * (((size + 31) // 32) * 4 * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def main(path):
    sizes = [16, 32]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
