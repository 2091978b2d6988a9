// BMP files byte by byte, for the tests of the viewer's reader and of robot-import's check:
// little-endian fields, and the 54-byte header that an ordinary writer makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes `value` into `bytes` at `at`, in `size` bytes, least significant first.
inline void put(std::string &bytes, size_t at, uint32_t value, int size) {
    for (int i = 0; i < size; i++) {
        bytes[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xff);
    }
}

// `bytes` with one field changed.
inline std::string withField(std::string bytes, size_t at, uint32_t value, int size) {
    put(bytes, at, value, size);
    return bytes;
}

// A 54-byte header as a plain bottom-up BMP has it: "BM", the file size, pixel data at 54, a
// 40-byte information header, the sides, one plane, the bits per pixel, no compression.
inline std::string header(int32_t width, int32_t height, uint16_t bits = 24) {
    std::string h(54, '\0');
    h[0] = 'B';
    h[1] = 'M';
    // The size of the pixel data, 0 where it does not fit (in double: the sides may be huge).
    const double data = static_cast<double>(width) * height * bits / 8;
    const uint32_t dataSize = data > 0 && data < INT32_MAX - 54 ? static_cast<uint32_t>(data) : 0;
    put(h, 2, 54 + dataSize, 4);
    put(h, 10, 54, 4);
    put(h, 14, 40, 4);
    put(h, 18, static_cast<uint32_t>(width), 4);
    put(h, 22, static_cast<uint32_t>(height), 4);
    put(h, 26, 1, 2);
    put(h, 28, bits, 2);
    put(h, 34, dataSize, 4);
    return h;
}
