// The wall image reader and loader: a table of small BMP files, each with what loading it must
// give (the texture read back from OpenGL, or a refusal that leaves OpenGL, the heap and the
// open files as they were); the loading of the four texture objects; and the room drawn with
// what was loaded, or flat red where OpenGL refused the image.
#include <GL/gl.h>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "assets/texture.h"
#include "bmp_bytes.h"
#include "gl_fixture.h"
#include "glmath.h"
#include "process.h"
#include "room.h"

using namespace std::string_literals;

namespace {

// ---------------------------------------------------------------------------------------------
// Fixture files
// ---------------------------------------------------------------------------------------------

// `count` bytes that all differ from their neighbours: first, first + step, ... (mod 256).
std::string ramp(size_t count, int first = 1, int step = 7) {
    std::string bytes(count, '\0');
    for (size_t i = 0; i < count; i++) {
        bytes[i] = static_cast<char>((first + step * static_cast<int>(i)) & 0xff);
    }
    return bytes;
}

// `count` pixels of the colour (first, second, third byte).
std::string solid(size_t count, uint8_t a, uint8_t b, uint8_t c) {
    std::string bytes;
    for (size_t i = 0; i < count; i++) {
        bytes += {static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)};
    }
    return bytes;
}

// A 3 x 2 image stored with its rows padded to 4 bytes, as a BMP stores them: 9 bytes of
// pixels and 3 filler bytes (0xee) a row.
const std::string paddedRows = ramp(9, 10, 3) + "\xee\xee\xee" + ramp(9, 100, 3) + "\xee\xee\xee";

// A 4 x 2 image whose pixels begin at byte 54 although the header says 1078 (as after a
// palette), where other bytes (0x77) lie, enough of them for a whole image.
const std::string offsetFile =
    withField(header(4, 2), 10, 1078, 4) + ramp(24) + std::string(1024, '\x77');

struct BitmapCase {
    const char *name = "";
    std::string bytes;           // the file's content
    int expected = 0;            // bitmapLoad's result
    int width = 0, height = 0;   // of the texture, when it loads
    std::string texels;          // the texture read back, rows from t = 0, when it loads
    bool missing = false;        // there is no file
    bool nullPath = false;       // the path given is null
    int64_t sparseLength = 0;    // the file is extended to this length with (unstored) zeros
    bool failAllocation = false; // malloc returns null
};

// Shown for a failing case: its name.
void PrintTo(const BitmapCase &c, std::ostream *out) {
    *out << c.name;
}

std::vector<BitmapCase> bitmapCases() {
    std::vector<BitmapCase> cases;
    const auto loads = [&](const char *name, std::string bytes, int w, int h, std::string texels) {
        BitmapCase c;
        c.name = name;
        c.bytes = std::move(bytes);
        c.width = w;
        c.height = h;
        c.texels = std::move(texels);
        cases.push_back(std::move(c));
    };
    // Adds a case that must be refused; returns it, for the conditions that go with the file.
    const auto refused = [&](const char *name, std::string bytes) -> BitmapCase & {
        BitmapCase c;
        c.name = name;
        c.bytes = std::move(bytes);
        c.expected = -1;
        cases.push_back(std::move(c));
        return cases.back();
    };

    loads("Plain24Bit", header(4, 2) + ramp(24), 4, 2, ramp(24));
    // 255, 0, 0 is blue to a BMP; the bytes are taken as stored, so it reads back as red.
    loads("BytesTakenAsRedGreenBlue",
          header(4, 1) + "\xff\x00\x00\x00\xff\x00\x00\x00\xff\x01\x02\x03"s, 4, 1,
          "\xff\x00\x00\x00\xff\x00\x00\x00\xff\x01\x02\x03"s);
    // Each row one colour: the first stored row (a BMP's bottom row) is the texture's first.
    loads("FirstStoredRowIsFirstTextureRow",
          header(2, 3) + solid(2, 10, 20, 30) + solid(2, 40, 50, 60) + solid(2, 70, 80, 90), 2, 3,
          solid(2, 10, 20, 30) + solid(2, 40, 50, 60) + solid(2, 70, 80, 90));
    // The filler bytes are taken as pixels: the second row starts with them (sheared).
    loads("PaddedRowsTakenAsPixels", header(3, 2) + paddedRows, 3, 2, paddedRows.substr(0, 18));
    loads("ExcessDataIgnored", header(2, 2) + ramp(12) + std::string(30, '\xab'), 2, 2, ramp(12));
    loads("SignatureIgnored", withField(header(4, 2), 0, 'X' | 'Y' << 8, 2) + ramp(24), 4, 2,
          ramp(24));
    loads("CompressionIgnored", withField(header(4, 2), 30, 1, 4) + ramp(24), 4, 2, ramp(24));
    loads("PixelDataOffsetIgnored", offsetFile, 4, 2, ramp(24));

    refused("ThirtyTwoBitRefused", header(4, 4, 32) + ramp(64));
    refused("EightBitRefused", header(4, 4, 8) + ramp(1024 + 16));
    refused("WidthZeroRefused", header(0, 4) + ramp(48));
    refused("HeightZeroRefused", header(4, 0) + ramp(48));
    refused("HeaderShorterThan54Refused", (header(1, 1) + ramp(3)).substr(0, 53));
    refused("EmptyFileRefused", "");
    refused("PixelDataOneByteShortRefused", header(4, 4) + ramp(47));
    refused("MissingFileRefused", "").missing = true;
    refused("NullPathRefused", "").nullPath = true;

    // A top-down image (negative height), and a negative width, each followed by as many bytes
    // as its sides would need.
    refused("NegativeHeightRefused", header(4, -2) + ramp(24));
    refused("NegativeWidthRefused", header(-4, 2) + ramp(24));
    // 60 bytes that claim 30000 x 30000 pixels: 2.7 GB.
    refused("HugeClaimInSmallFileRefused", header(30000, 30000) + ramp(6));
    // 60 bytes that claim 16384 x 16384 pixels: 805 MB, a size that would fit in 32 bits.
    refused("LargeClaimInSmallFileRefused", header(16384, 16384) + ramp(6));
    // 3 x 0x55555556 is 2^32 + 2: in 32 bits, a 2-byte image.
    refused("SizeWrappingIn32BitsRefused", header(0x55555556, 1) + ramp(48));
    // Both sides at the largest signed 32-bit value: the size overflows even 64 bits times 3.
    refused("SidesAtInt32MaxRefused", header(INT32_MAX, INT32_MAX) + ramp(48));
    // 715827883 x 1 pixels are 2^31 + 1 bytes: more than a signed 32-bit size, in a file that
    // holds them all (sparse, so it costs no disk).
    refused("SizeOverInt32MaxRefused", header(715827883, 1)).sparseLength =
        54 + int64_t{715827883} * 3;
    refused("FailedAllocationRefused", header(4, 4) + ramp(48)).failAllocation = true;
    return cases;
}

// ---------------------------------------------------------------------------------------------
// What the process holds
// ---------------------------------------------------------------------------------------------

// Number of file descriptors the process has open.
int openDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto &entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        count++;
    }
    return count;
}

// The level-0 image of texture `name`, rows from t = 0, 3 bytes a texel.
std::string readTexture(GLuint name, int width, int height) {
    std::string texels(static_cast<size_t>(width) * height * 3, '\0');
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

GLint textureParameter(GLuint name, GLenum parameter) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

GLint levelParameter(GLuint name, GLenum parameter) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, parameter, &value);
    return value;
}

// The calls that loading an image of the given size into texture `name` must make, in order.
std::vector<GlCall> uploadCalls(GLuint name, int width, int height) {
    return {{"glBindTexture", {GL_TEXTURE_2D, name}},
            {"glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT}},
            {"glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT}},
            {"glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR}},
            {"glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR}},
            {"glTexImage2D", {GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE}}};
}

// The texture loader's fixture: a temporary directory for the files, packed pixel rows as the
// loader's caller sets them, and a fresh texture name.
class TextureTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glGenTextures(1, &name_);
        resetProbes();
    }
    void TearDown() override {
        glDeleteTextures(1, &name_);
        GlTest::TearDown();
    }

    // Loads `path` into the fresh name while watching the heap. Not const: it fills the texture
    // object that the fixture owns, though no member changes.
    // NOLINTNEXTLINE(readability-make-member-function-const)
    int load(const char *path) {
        allocationProbes.watching = true;
        const int result = bitmapLoad(static_cast<int>(name_), path);
        allocationProbes.watching = false;
        return result;
    }

    TempDir dir_;
    GLuint name_ = 0;
};

class BitmapTable : public TextureTest, public testing::WithParamInterface<BitmapCase> {};

} // namespace

// Each file loads, or is refused, as its case says. A loaded one is uploaded once, with the
// settings and in the order the room relies on, and reads back byte for byte as stored. A
// refused one makes no OpenGL call. Either way the file is closed, the pixel buffer is given
// back, and no block larger than the file itself is ever asked for.
TEST_P(BitmapTable, LoadsOrIsRefused) {
    const BitmapCase &c = GetParam();
    const std::string path = dir_.file("image.bmp");
    if (!c.missing) {
        writeFile(path, c.bytes);
        if (c.sparseLength > 0) {
            ASSERT_EQ(truncate(path.c_str(), c.sparseLength), 0);
        }
    }
    allocationProbes.failing = c.failAllocation;
    const int descriptorsBefore = openDescriptors();

    const int result = load(c.nullPath ? nullptr : path.c_str());

    EXPECT_EQ(result, c.expected);
    EXPECT_EQ(openDescriptors(), descriptorsBefore) << "the file is left open";
    EXPECT_EQ(allocationProbes.liveBlocks, 0) << "the pixel buffer is not given back";
    if (c.expected != 0) {
        EXPECT_TRUE(probes.textureCalls.empty()) << "OpenGL called: " << probes.textureCalls[0];
        EXPECT_LE(allocationProbes.largest, c.bytes.size()) << "more asked for than the file holds";
        return;
    }
    EXPECT_EQ(allocationProbes.allocations, 1);
    EXPECT_EQ(allocationProbes.largest, static_cast<size_t>(c.width) * c.height * 3);
    EXPECT_EQ(probes.fileOpens, std::vector<std::string>{path + " rb"});
    EXPECT_EQ(probes.textureCalls, uploadCalls(name_, c.width, c.height));

    EXPECT_EQ(levelParameter(name_, GL_TEXTURE_WIDTH), c.width);
    EXPECT_EQ(levelParameter(name_, GL_TEXTURE_HEIGHT), c.height);
    EXPECT_EQ(textureParameter(name_, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(textureParameter(name_, GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(textureParameter(name_, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(name_, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(readTexture(name_, c.width, c.height), c.texels);
}

INSTANTIATE_TEST_SUITE_P(Files, BitmapTable, testing::ValuesIn(bitmapCases()),
                         [](const auto &info) { return std::string(info.param.name); });

// The wall image is read from the working directory four times, once into each of four fresh
// texture names; the unpack alignment is 1 from then on, so rows of any length load packed,
// and 2D texturing stays off.
TEST_F(TextureTest, LoadTexturesFillsFourNamesFromFourReads) {
    // Rows of 9 bytes: with the default alignment of 4 they would be read 12 bytes apart.
    const std::string pixels = ramp(size_t{3} * 5 * 3, 3, 11);
    writeFile(dir_.file("wall7.bmp"), header(3, 5) + pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    resetProbes();
    const int descriptorsBefore = openDescriptors();
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    allocationProbes.watching = true;

    loadTextures();

    allocationProbes.watching = false;
    std::filesystem::current_path(home);
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
    EXPECT_EQ(allocationProbes.allocations, 4);
    EXPECT_EQ(allocationProbes.liveBlocks, 0);
    EXPECT_EQ(probes.fileOpens, std::vector<std::string>(4, "wall7.bmp rb"));

    std::vector<GlCall> expected = {{"glPixelStorei", {GL_UNPACK_ALIGNMENT, 1}},
                                    {"glGenTextures", {4}}};
    for (int entry = 0; entry < 4; entry++) {
        EXPECT_NE(textures[entry], 0u);
        for (int other = 0; other < entry; other++) {
            EXPECT_NE(textures[entry], textures[other]);
        }
        for (const GlCall &call : uploadCalls(textures[entry], 3, 5)) {
            expected.push_back(call);
        }
    }
    EXPECT_EQ(probes.textureCalls, expected);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 1);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    for (const GLuint name : textures) {
        EXPECT_EQ(readTexture(name, 3, 5), pixels) << "texture " << name;
    }
    glDeleteTextures(textureCount, textures);
}

// The floor shows texture table entry 1 and the walls and ceiling entry 2, in the colours of
// the images' bytes, unlit.
TEST_F(TextureTest, FloorShowsEntryOneWallsAndCeilingEntryTwo) {
    const std::string floorFile = dir_.file("floor.bmp"), wallFile = dir_.file("wall.bmp");
    writeFile(floorFile, header(4, 4) + solid(16, 200, 120, 40));
    writeFile(wallFile, header(4, 4) + solid(16, 30, 90, 220));
    GLuint names[2] = {};
    glGenTextures(2, names);
    ASSERT_EQ(bitmapLoad(static_cast<int>(names[0]), floorFile.c_str()), 0);
    ASSERT_EQ(bitmapLoad(static_cast<int>(names[1]), wallFile.c_str()), 0);
    textures[1] = names[0];
    textures[2] = names[1];

    const Frame &frame = drawRoomFrame(500, 500);
    ASSERT_GE(frame.width, 500);
    ASSERT_GE(frame.height, 500);

    const std::vector<std::vector<WindowPoint>> surfaces = pointsInsideRoomSurfaces(500, 500, 3);
    for (size_t q = 0; q < surfaces.size(); q++) {
        SCOPED_TRACE("quad " + std::to_string(q));
        EXPECT_GE(surfaces[q].size(), 5u) << "too little of the surface in view to test";
        const bool floor = q == roomFloorQuad;
        const int expected[3] = {floor ? 200 : 30, floor ? 120 : 90, floor ? 40 : 220};
        for (const WindowPoint &w : surfaces[q]) {
            const uint8_t *p = frame.at(static_cast<int>(w.x), static_cast<int>(w.y));
            EXPECT_EQ(p[0], expected[0]) << "at " << w.x << ", " << w.y;
            EXPECT_EQ(p[1], expected[1]) << "at " << w.x << ", " << w.y;
            EXPECT_EQ(p[2], expected[2]) << "at " << w.x << ", " << w.y;
        }
    }
    glDeleteTextures(2, names);
}

// An image one pixel wider than OpenGL takes still counts as loaded: OpenGL refuses the upload,
// the texture object holds no image, and the room drawn with it is flat red.
TEST_F(TextureTest, ImageThatOpenGLRefusesCountsAsLoaded) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    ASSERT_GT(maxSize, 0);
    const int width = maxSize + 1;
    const std::string path = dir_.file("wide.bmp");
    writeFile(path, header(width, 1) + ramp(static_cast<size_t>(width) * 3));
    while (glGetError() != GL_NO_ERROR) {
    }

    EXPECT_EQ(load(path.c_str()), 0);

    EXPECT_EQ(glGetError(), GLenum{GL_INVALID_VALUE}) << "OpenGL took the image after all";
    EXPECT_EQ(allocationProbes.liveBlocks, 0);
    EXPECT_EQ(probes.textureCalls, uploadCalls(name_, width, 1));
    EXPECT_EQ(levelParameter(name_, GL_TEXTURE_WIDTH), 0);

    textures[1] = textures[2] = name_;
    const Frame &frame = drawRoomFrame(250, 200);
    ASSERT_GE(frame.width, 250);
    ASSERT_GE(frame.height, 200);
    EXPECT_EQ(frame.pixelsOtherThan(250, 200, 255, 0, 0), 0)
        << "pixels of the room that are not pure red";
}
