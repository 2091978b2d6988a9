// robot-import texture: reads a picture in one of the common formats and writes it as the
// viewer's wall image, a 24-bit BMP with power-of-two sides whose bytes the viewer takes as
// they stand: red, green, blue in that order, and rows in the order of the texture's t.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <stb_image.h>        // stbi_info, stbi_load
#include <stb_image_resize.h> // stbir_resize_uint8_srgb

#include "robot_import.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// Sides of the written image: powers of two (all OpenGL 1.1 takes) from 4 (so that a row of
// 3-byte pixels is a multiple of 4 bytes and needs no padding) to 1024 (which every
// implementation the viewer may meet takes).
constexpr int smallestSide = 4;
constexpr int largestSide = 1024;

// Largest picture read, in pixels: 8192 x 16384, some 400 MB as 3-byte pixels.
constexpr long long largestPicture = 1LL << 27;

// The header written: a 14-byte file header and a 40-byte information header.
constexpr int headerSize = 54;
constexpr int infoHeaderSize = 40;
constexpr int bitsPerPixel = 24;
constexpr int bytesPerPixel = 3;
// 72 pixels an inch, in pixels a metre, for other programs that show the file.
constexpr uint32_t pixelsPerMetre = 2835;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// The power of two nearest to `side` on a log scale (so 90 gives 64 and 91 gives 128), within
// smallestSide and largestSide.
int powerOfTwoSide(int side) {
    int p = smallestSide;
    // Move up while the next power is nearer: side > p * sqrt(2), that is side^2 > 2 p^2.
    while (p<largestSide &&static_cast<long long>(side) * side> 2LL * p * p) {
        p *= 2;
    }
    return p;
}

void put(std::string &bytes, size_t at, uint32_t value, int size) {
    for (int i = 0; i < size; i++) {
        bytes[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xff);
    }
}

// A BMP header for `width` x `height` pixels stored bottom row first, 24 bits a pixel, no
// compression, pixel data right after the header.
std::string bmpHeader(int width, int height) {
    const uint32_t dataSize =
        static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * bytesPerPixel;
    std::string h(headerSize, '\0');
    h[0] = 'B';
    h[1] = 'M';
    put(h, 2, headerSize + dataSize, 4);
    put(h, 10, headerSize, 4);
    put(h, 14, infoHeaderSize, 4);
    put(h, 18, static_cast<uint32_t>(width), 4);
    put(h, 22, static_cast<uint32_t>(height), 4);
    put(h, 26, 1, 2);
    put(h, 28, bitsPerPixel, 2);
    put(h, 34, dataSize, 4);
    put(h, 38, pixelsPerMetre, 4);
    put(h, 42, pixelsPerMetre, 4);
    return h;
}

// The image file from the resampled picture, `width` x `height` pixels, rows from the top,
// 3 bytes a pixel (red, green, blue).
//
// The viewer takes each pixel's bytes as red, green, blue in the order stored, and the first
// stored row as the texture's first row (t = 0). Its room gives the walls and the back wall s
// from top (0) to bottom and t from the far or left end, and the floor s from left to right
// and t from near to far. So:
// - on the back wall (the default), the texture's rows are the picture's columns from left to
//   right, each read from the top down: the picture stands upright on the back wall, on the
//   right wall and on the ceiling (seen looking up), and mirrored on the left wall;
// - on the floor, the texture's rows are the picture's rows from the bottom up (a BMP's own
//   order): the picture lies upright on the floor as seen from the viewer's place.
std::string imageFile(const unsigned char *picture, int width, int height, bool floor) {
    const int textureWidth = floor ? width : height;
    const int textureHeight = floor ? height : width;
    std::string bytes = bmpHeader(textureWidth, textureHeight);
    bytes.reserve(bytes.size() + static_cast<size_t>(width) * height * bytesPerPixel);
    for (int row = 0; row < textureHeight; row++) {
        for (int texel = 0; texel < textureWidth; texel++) {
            const int x = floor ? texel : row;
            const int y = floor ? height - 1 - row : texel;
            const unsigned char *p = picture + (static_cast<size_t>(y) * width + x) * bytesPerPixel;
            bytes.append(reinterpret_cast<const char *>(p), bytesPerPixel);
        }
    }
    return bytes;
}

struct FreePicture {
    void operator()(unsigned char *p) const { stbi_image_free(p); }
};

} // namespace

int importTexture(const std::string &input, const std::string &output,
                  const TextureOptions &options) {
    if (!checkInputAndOutput(input, output)) {
        return exitFailed;
    }
    int width = 0, height = 0, channels = 0;
    if (stbi_info(input.c_str(), &width, &height, &channels) == 0) {
        complain(input + ": cannot read it as a picture: " + stbi_failure_reason());
        return exitFailed;
    }
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > largestPicture) {
        complain(input + ": " + std::to_string(width) + " x " + std::to_string(height) +
                 " pixels is more than robot-import reads (" + withCommas(largestPicture) +
                 " pixels)");
        return exitFailed;
    }
    int loadedChannels = 0;
    const std::unique_ptr<unsigned char, FreePicture> picture(
        stbi_load(input.c_str(), &width, &height, &loadedChannels, bytesPerPixel));
    if (picture == nullptr) {
        complain(input + ": cannot read it as a picture: " + stbi_failure_reason());
        return exitFailed;
    }
    // Transparency has nothing to show through in the viewer: the colours are taken as they
    // are, whatever their alpha.
    if (channels == 2 || channels == 4) {
        complain(input + ": its transparency is left out; the viewer shows every pixel opaque");
    }
    const int sideX = powerOfTwoSide(width), sideY = powerOfTwoSide(height);
    const unsigned char *pixels = picture.get();
    std::vector<unsigned char> resampled;
    if (sideX != width || sideY != height) {
        resampled.resize(static_cast<size_t>(sideX) * sideY * bytesPerPixel);
        if (stbir_resize_uint8_srgb(picture.get(), width, height, 0, resampled.data(), sideX, sideY,
                                    0, bytesPerPixel, STBIR_ALPHA_CHANNEL_NONE, 0) == 0) {
            complain(input + ": cannot resample it");
            return exitFailed;
        }
        pixels = resampled.data();
    }
    if (!writeOutput(output, imageFile(pixels, sideX, sideY, options.floor))) {
        return exitFailed;
    }
    std::printf("%s: the picture at %d x %d pixels (from %d x %d), upright on the %s\n",
                output.c_str(), sideX, sideY, width, height, options.floor ? "floor" : "back wall");
    return exitDone;
}
