// robot-import texture: pictures written by the tests in common formats, imported by the real
// tool, and read back with the program's own bitmapRead: the sides, the bytes in the order
// the viewer shows them (red first; the picture upright on the back wall, or on the floor),
// a header that other programs read too, and failures that leave everything as it was.
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <stb_image_write.h> // stbi_write_png, for a picture with an alpha channel
#include <string>
#include <vector>

#include "assets/texture.h"
#include "import_support.h"
#include "process.h"

namespace {

// A colour of its own for each pixel of a small picture.
Rgb distinct(int x, int y) {
    return {static_cast<uint8_t>(10 + 30 * x), static_cast<uint8_t>(20 + 50 * y),
            static_cast<uint8_t>(5 + 7 * (x + y))};
}

// The image the viewer reads from `path`: sides and texels, rows from t = 0.
struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> texels;

    Rgb at(int row, int column) const {
        const size_t i = (static_cast<size_t>(row) * width + column) * 3;
        return {texels[i], texels[i + 1], texels[i + 2]};
    }
};

Image readImage(const std::string &path) {
    Image image;
    unsigned char *pixels = nullptr;
    if (bitmapRead(path.c_str(), &image.width, &image.height, &pixels) != 0) {
        ADD_FAILURE() << "the viewer does not load " << path;
        return image;
    }
    image.texels.assign(pixels, pixels + static_cast<size_t>(image.width) * image.height * 3);
    std::free(pixels);
    return image;
}

uint32_t little(const std::string &bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; i--) {
        value = value << 8 | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
    }
    return value;
}

// ---------------------------------------------------------------------------------------------
// Formats and orientation
// ---------------------------------------------------------------------------------------------

struct FormatCase {
    const char *name = "";
    const char *file = "";
    void (*write)(const std::string &, const Picture &) = nullptr;
};

void PrintTo(const FormatCase &c, std::ostream *out) {
    *out << c.name;
}

class Formats : public testing::TestWithParam<FormatCase> {};

// An 8 x 4 picture (sides that are already powers of two, so no resampling) comes out with
// every pixel's colour exact, red first. By default the texture's rows are the picture's
// columns from the left, each from the top down: the room's walls run s from the top down and
// t along the wall, so the picture stands upright on the back wall. With --floor its rows are
// the picture's rows from the bottom up: the floor runs s from left to right and t from near
// to far, so the picture lies upright there as seen from the viewer's place.
TEST_P(Formats, ComeOutInTheViewersOrder) {
    const FormatCase &c = GetParam();
    const TempDir dir;
    c.write(dir.file(c.file), {8, 4, distinct});

    const ToolRun walls = runImport({"texture", c.file}, dir.path());
    ASSERT_EQ(walls.status, 0) << walls.err;
    const Image w = readImage(dir.file("wall7.bmp"));
    ASSERT_EQ(w.width, 4);
    ASSERT_EQ(w.height, 8);
    for (int row = 0; row < 8; row++) {
        for (int column = 0; column < 4; column++) {
            EXPECT_EQ(w.at(row, column), distinct(row, column)) << row << ", " << column;
        }
    }

    const ToolRun floor = runImport({"texture", "--floor", c.file, "-o", "floor.bmp"}, dir.path());
    ASSERT_EQ(floor.status, 0) << floor.err;
    const Image f = readImage(dir.file("floor.bmp"));
    ASSERT_EQ(f.width, 8);
    ASSERT_EQ(f.height, 4);
    for (int row = 0; row < 4; row++) {
        for (int column = 0; column < 8; column++) {
            EXPECT_EQ(f.at(row, column), distinct(column, 3 - row)) << row << ", " << column;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, Formats,
                         testing::Values(FormatCase{"Png", "picture.png", writePng},
                                         FormatCase{"Tga", "picture.tga", writeTga},
                                         FormatCase{"OrdinaryBmp", "picture.bmp", writeBmp}),
                         [](const testing::TestParamInfo<FormatCase> &info) {
                             return std::string(info.param.name);
                         });

// A JPEG loses a little colour to its compression, and still comes out in the viewer's order.
TEST(Jpeg, ComesOutNearItsColour) {
    const TempDir dir;
    const Picture grey{16, 16, [](int, int) { return Rgb{200, 120, 40}; }};
    writeJpeg(dir.file("photo.jpg"), grey, 100);

    const ToolRun run = runImport({"texture", "photo.jpg"}, dir.path());

    ASSERT_EQ(run.status, 0) << run.err;
    const Image image = readImage(dir.file("wall7.bmp"));
    ASSERT_EQ(image.width, 16);
    ASSERT_EQ(image.height, 16);
    for (size_t i = 0; i < image.texels.size(); i += 3) {
        EXPECT_NEAR(image.texels[i], 200, 4);
        EXPECT_NEAR(image.texels[i + 1], 120, 4);
        EXPECT_NEAR(image.texels[i + 2], 40, 4);
    }
}

// A picture with transparency: nothing shows through in the viewer, so each pixel keeps its
// colour as stored, whatever its alpha (not darkened towards black where it is clear), and the
// tool says that the transparency is left out.
TEST(Transparency, IsLeftOutAndTheColoursKept) {
    const TempDir dir;
    std::vector<unsigned char> rgba;
    for (int y = 0; y < 4; y++) {
        for (int x = 0; x < 8; x++) {
            const Rgb c = distinct(x, y);
            rgba.insert(rgba.end(), {c[0], c[1], c[2], static_cast<unsigned char>(36 * x)});
        }
    }
    ASSERT_NE(stbi_write_png(dir.file("clear.png").c_str(), 8, 4, 4, rgba.data(), 8 * 4), 0);

    const ToolRun run = runImport({"texture", "clear.png"}, dir.path());

    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("clear.png: its transparency is left out"), std::string::npos)
        << run.err;
    const Image image = readImage(dir.file("wall7.bmp"));
    ASSERT_EQ(image.width, 4);
    ASSERT_EQ(image.height, 8);
    for (int row = 0; row < 8; row++) {
        for (int column = 0; column < 4; column++) {
            EXPECT_EQ(image.at(row, column), distinct(row, column)) << row << ", " << column;
        }
    }
}

// The file is a plain 24-bit BMP that other programs read too: signature, sizes, pixel data
// at byte 54, one plane, no compression; rows need no padding at these widths.
TEST(Header, IsAnOrdinaryBmpHeader) {
    const TempDir dir;
    writePng(dir.file("p.png"), {16, 8, distinct});

    ASSERT_EQ(runImport({"texture", "p.png"}, dir.path()).status, 0);

    const std::string bytes = readFile(dir.file("wall7.bmp"));
    ASSERT_EQ(bytes.size(), 54u + 16 * 8 * 3);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(little(bytes, 2, 4), bytes.size());
    EXPECT_EQ(little(bytes, 10, 4), 54u);
    EXPECT_EQ(little(bytes, 14, 4), 40u);
    EXPECT_EQ(little(bytes, 18, 4), 8u);  // the picture's height: its columns are the rows
    EXPECT_EQ(little(bytes, 22, 4), 16u); // the picture's width
    EXPECT_EQ(little(bytes, 26, 2), 1u);
    EXPECT_EQ(little(bytes, 28, 2), 24u);
    EXPECT_EQ(little(bytes, 30, 4), 0u);
    EXPECT_EQ(little(bytes, 34, 4), 16u * 8 * 3);
}

// ---------------------------------------------------------------------------------------------
// Resampling
// ---------------------------------------------------------------------------------------------

struct SizeCase {
    const char *name = "";
    int width = 0, height = 0; // the picture's
    int sideX = 0, sideY = 0;  // the picture's sides once resampled
};

void PrintTo(const SizeCase &c, std::ostream *out) {
    *out << c.name;
}

class Sizes : public testing::TestWithParam<SizeCase> {};

// Each side becomes the power of two nearest to it (on a log scale: 90 is nearer 64, 91
// nearer 128), no smaller than 4 and no larger than 1024; a one-colour picture stays exactly
// its colour.
TEST_P(Sizes, BecomePowersOfTwoFrom4To1024) {
    const SizeCase &c = GetParam();
    const TempDir dir;
    writePng(dir.file("p.png"), {c.width, c.height, [](int, int) { return Rgb{77, 140, 201}; }});

    const ToolRun run = runImport({"texture", "p.png"}, dir.path());

    ASSERT_EQ(run.status, 0) << run.err;
    const Image image = readImage(dir.file("wall7.bmp"));
    EXPECT_EQ(image.width, c.sideY);
    EXPECT_EQ(image.height, c.sideX);
    for (size_t i = 0; i < image.texels.size(); i += 3) {
        ASSERT_EQ((Rgb{image.texels[i], image.texels[i + 1], image.texels[i + 2]}),
                  (Rgb{77, 140, 201}))
            << "texel " << i / 3;
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, Sizes,
                         testing::Values(SizeCase{"UpToNearest", 100, 50, 128, 64},
                                         SizeCase{"EitherSideOfTheMiddle", 90, 91, 64, 128},
                                         SizeCase{"WideCappedAt1024", 3000, 20, 1024, 16},
                                         SizeCase{"OnePixelGrowsTo4", 1, 1, 4, 4},
                                         SizeCase{"SmallGrowsTo4", 5, 3, 4, 4},
                                         SizeCase{"LargestKept", 1024, 1024, 1024, 1024}),
                         [](const testing::TestParamInfo<SizeCase> &info) {
                             return std::string(info.param.name);
                         });

// A resampled picture keeps its parts where they were: four quarters of different colours,
// 100 x 50, come out 128 x 64 with each quarter's colour well inside it, upright on the wall.
TEST(Resampling, KeepsThePictureInPlace) {
    const auto quarter = [](int x, int y) {
        static const Rgb colours[2][2] = {{{220, 30, 30}, {30, 200, 40}},
                                          {{20, 40, 210}, {230, 220, 20}}};
        return colours[y < 25 ? 0 : 1][x < 50 ? 0 : 1];
    };
    const TempDir dir;
    writePng(dir.file("q.png"), {100, 50, quarter});

    ASSERT_EQ(runImport({"texture", "q.png"}, dir.path()).status, 0);

    const Image image = readImage(dir.file("wall7.bmp"));
    ASSERT_EQ(image.width, 64);
    ASSERT_EQ(image.height, 128);
    // Texel (row x, column y) of the resampled picture; well inside means a tenth of the
    // picture away from the quarters' borders.
    for (int x = 0; x < 128; x++) {
        for (int y = 0; y < 64; y++) {
            const double u = (x + 0.5) / 128, v = (y + 0.5) / 64;
            if (std::abs(u - 0.5) < 0.1 || std::abs(v - 0.5) < 0.1) {
                continue;
            }
            const Rgb want = quarter(static_cast<int>(u * 100), static_cast<int>(v * 50));
            const Rgb got = image.at(x, y);
            for (int k = 0; k < 3; k++) {
                ASSERT_NEAR(got[static_cast<size_t>(k)], want[static_cast<size_t>(k)], 2)
                    << "at " << x << ", " << y;
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Failures
// ---------------------------------------------------------------------------------------------

struct FailureCase {
    const char *name = "";
    std::vector<std::string> args;
    std::string message; // words the tool must say on standard error
};

void PrintTo(const FailureCase &c, std::ostream *out) {
    *out << c.name;
}

class TextureFailure : public testing::TestWithParam<FailureCase> {};

// The tool fails with status 1 and a message that names the file; the wall7.bmp that was
// there stays as it was, and no other file appears.
TEST_P(TextureFailure, LeavesTheOutputAsItWas) {
    const FailureCase &c = GetParam();
    const TempDir dir;
    const std::string earlier = "an earlier wall7.bmp";
    writeFile(dir.file("wall7.bmp"), earlier);
    writeFile(dir.file("notes.txt"), "not a picture\n");
    writePng(dir.file("p.png"), {4, 4, distinct});
    const std::vector<std::string> before = filesIn(dir.path());

    const ToolRun run = runImport(c.args, dir.path());

    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(readFile(dir.file("wall7.bmp")), earlier);
    EXPECT_EQ(filesIn(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextureFailure,
    testing::Values(
        FailureCase{"MissingInput", {"texture", "missing.png"}, "missing.png: No such file"},
        FailureCase{
            "NotAPicture", {"texture", "notes.txt"}, "notes.txt: cannot read it as a picture"},
        FailureCase{"InputIsADirectory", {"texture", "."}, ".: not a regular file"},
        // The picture is already called wall7.bmp: the default output is the input.
        FailureCase{"OutputIsTheInput", {"texture", "wall7.bmp"}, "is the input file itself"},
        FailureCase{"OutputDirectoryMissing",
                    {"texture", "p.png", "-o", "no/wall7.bmp"},
                    "no/wall7.bmp: cannot write"}),
    [](const testing::TestParamInfo<FailureCase> &info) { return std::string(info.param.name); });

} // namespace
