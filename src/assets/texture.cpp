// The wall image reader and the texture loader: a narrow subset of 24-bit BMP, taken byte for
// byte as stored, uploaded into the texture table's four texture objects.
#include "assets/texture.h"

#include <GL/gl.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib> // malloc, free, exit

#include "render/render.h" // textures, textureCount

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// The header, read as one block. Only three of its fields are used, all little-endian: width
// and height (signed 32-bit, pixels) and bits per pixel (unsigned 16-bit). The rest of it
// (signature, pixel-data offset, compression, ...) is ignored: the pixels always follow it.
constexpr int bitmapHeaderSize = 54;
constexpr int widthOffset = 18;
constexpr int heightOffset = 22;
constexpr int bitsPerPixelOffset = 28;

// The one pixel format accepted: 3 bytes a pixel, taken as red, green, blue in that order.
constexpr unsigned acceptedBitsPerPixel = 24;
constexpr int64_t bytesPerPixel = 3;

// Largest pixel data accepted, in bytes: what a signed 32-bit size holds.
constexpr int64_t pixelDataLimit = INT32_MAX;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

static int32_t readSigned32(const unsigned char *bytes) {
    const uint32_t value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                           static_cast<uint32_t>(bytes[2]) << 16 |
                           static_cast<uint32_t>(bytes[3]) << 24;
    return static_cast<int32_t>(value);
}

static unsigned readUnsigned16(const unsigned char *bytes) {
    return static_cast<unsigned>(bytes[0]) | static_cast<unsigned>(bytes[1]) << 8;
}

// Bytes of `file` from the current position to its end, or -1 when its length cannot be known
// (a pipe, for example). Leaves the position where it was.
static long long bytesLeft(FILE *file) {
    const long here = ftell(file);
    if (here < 0 || fseek(file, 0, SEEK_END) != 0) {
        return -1;
    }
    const long end = ftell(file);
    if (end < 0 || fseek(file, here, SEEK_SET) != 0) {
        return -1;
    }
    return static_cast<long long>(end) - here;
}

// Reads header and pixel data from the open `file`. On success the pixel buffer is handed to
// the caller; on failure nothing stays allocated. The file is the caller's to close.
static int readBitmap(FILE *file, int *width, int *height, unsigned char **pixels) {
    unsigned char header[bitmapHeaderSize];
    if (fread(header, 1, sizeof header, file) != sizeof header) {
        return -1;
    }
    const int32_t w = readSigned32(header + widthOffset);
    const int32_t h = readSigned32(header + heightOffset);
    if (readUnsigned16(header + bitsPerPixelOffset) != acceptedBitsPerPixel) {
        return -1;
    }
    // A side of 0 gives no pixel data; a negative height (a top-down image) or width is not
    // an image this reader takes.
    if (w <= 0 || h <= 0) {
        return -1;
    }
    // Both sides are below 2^31, so their product is below 2^62 and exact in 64 bits; the limit
    // is checked on it before the multiplication by 3 could overflow.
    const int64_t pixelCount = static_cast<int64_t>(w) * h;
    if (pixelCount > pixelDataLimit / bytesPerPixel) {
        return -1;
    }
    const int64_t size = pixelCount * bytesPerPixel;
    // A header that promises more than the file holds is refused before anything that large
    // is allocated; so is a file whose length cannot be known.
    if (bytesLeft(file) < size) {
        return -1;
    }
    unsigned char *data = static_cast<unsigned char *>(malloc(static_cast<size_t>(size)));
    if (data == nullptr) {
        return -1;
    }
    // One block, straight after the header; anything after it is never read.
    if (fread(data, 1, static_cast<size_t>(size), file) != static_cast<size_t>(size)) {
        free(data);
        return -1;
    }
    *width = w;
    *height = h;
    *pixels = data;
    return 0;
}

int bitmapRead(const char *path, int *width, int *height, unsigned char **pixels) {
    if (path == nullptr) {
        return -1;
    }
    FILE *file = fopen(path, "rb");
    if (file == nullptr) {
        return -1;
    }
    const int result = readBitmap(file, width, height, pixels);
    // The file was only read: a failure to close it loses nothing.
    (void)fclose(file);
    return result;
}

int bitmapLoad(int texture, const char *path) {
    int width = 0;
    int height = 0;
    unsigned char *pixels = nullptr;
    if (bitmapRead(path, &width, &height, &pixels) != 0) {
        return -1;
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Level 0 only, 3 components, no border: the bytes as read, the first stored row as the
    // texture's first row (t = 0). An image that OpenGL refuses leaves the object without one.
    glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    free(pixels);
    return 0;
}

void loadTextures() {
    // Rows of any length are read packed.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glGenTextures(textureCount, textures);
    for (int entry = 0; entry < textureCount; entry++) {
        if (bitmapLoad(static_cast<int>(textures[entry]), wallImageFile) != 0) {
            // Nothing is drawn without the wall image: the program ends, silently.
            exit(0);
        }
    }
}
