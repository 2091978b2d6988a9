// The wall image that robot-import writes from a picture, loaded by the program's own
// bitmapLoad: its texels read back from OpenGL in the picture's colours, and the room drawn
// with it showing the picture upright on the back wall, or, with --floor, on the floor.
#include <GL/gl.h>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/texture.h"
#include "gl_fixture.h"
#include "glmath.h"
#include "import_support.h"
#include "process.h"
#include "room.h"

namespace {

// The picture: four quarters of different colours, 64 x 32 (sides the tool keeps as they are).
constexpr int pictureWidth = 64, pictureHeight = 32;

Rgb quarterColour(bool left, bool top) {
    static const Rgb colours[2][2] = {{{220, 30, 30}, {30, 200, 40}},
                                      {{20, 40, 210}, {230, 220, 20}}};
    return colours[top ? 0 : 1][left ? 0 : 1];
}

Rgb quarter(int x, int y) {
    return quarterColour(x < pictureWidth / 2, y < pictureHeight / 2);
}

// Writes the picture, imports it with `options`, and loads the result into a new texture.
GLuint importAndLoad(const TempDir &dir, const std::vector<std::string> &options) {
    writePng(dir.file("quarters.png"), {pictureWidth, pictureHeight, quarter});
    std::vector<std::string> args = {"texture", "quarters.png"};
    args.insert(args.end(), options.begin(), options.end());
    const ToolRun run = runImport(args, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLuint name = 0;
    glGenTextures(1, &name);
    EXPECT_EQ(bitmapLoad(static_cast<int>(name), dir.file("wall7.bmp").c_str()), 0);
    return name;
}

// The fractional part of a coordinate, and whether it lies well inside a quarter of a tile.
double fraction(double value) {
    return value - std::floor(value);
}
bool insideQuarter(double f) {
    return std::abs(f - 0.25) < 0.17 || std::abs(f - 0.75) < 0.17;
}

class ImportedTexture : public GlTest {
  protected:
    TempDir dir_;
};

} // namespace

// Read back from OpenGL, the texture holds the picture turned for the back wall: its rows are
// the picture's columns from the left, each from the top down.
TEST_F(ImportedTexture, TexelsReadBackInThePicturesColours) {
    const GLuint name = importAndLoad(dir_, {});
    GLint width = 0, height = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    ASSERT_EQ(width, pictureHeight);
    ASSERT_EQ(height, pictureWidth);
    std::vector<uint8_t> texels(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    for (int row = 0; row < height; row++) {
        for (int column = 0; column < width; column++) {
            const uint8_t *t = &texels[(static_cast<size_t>(row) * width + column) * 3];
            ASSERT_EQ((Rgb{t[0], t[1], t[2]}), quarter(row, column)) << row << ", " << column;
        }
    }
    glDeleteTextures(1, &name);
}

namespace {

// A surface of the room to look at: a point on it from two fractions (a, b) of its extent, and
// the quarter of the picture that must show there.
struct SurfaceCase {
    const char *name = "";
    std::vector<std::string> options;
    // The point at fractions a, b of the surface, in the room's units.
    Vec4 (*point)(double a, double b);
    // Whether the quarter there is the left one and the top one; false when the point is too
    // near a quarter's edge to tell.
    bool (*expected)(double a, double b, bool &left, bool &top);
};

void PrintTo(const SurfaceCase &c, std::ostream *out) {
    *out << c.name;
}

// The back wall, from its top left corner: a along x to the right, b down. It runs t = 4a and
// s = 4b; with the default orientation t is along the picture's width and s down its height.
Vec4 backWall(double a, double b) {
    return {-40 + 80 * a, 50 - 55 * b, -100, 1};
}
bool backWallQuarter(double a, double b, bool &left, bool &top) {
    const double u = fraction(4 * a), v = fraction(4 * b);
    left = u < 0.5;
    top = v < 0.5;
    return insideQuarter(u) && insideQuarter(v);
}

// The floor's near half, from its near left corner: a along x to the right, b away from the
// viewer. It runs s = 4a (x) and t = 4 (20 - z) / 120; with --floor s is along the picture's
// width and t up its height.
Vec4 nearFloor(double a, double b) {
    return {-40 + 80 * a, -5, 20 - 80 * b, 1};
}
bool floorQuarter(double a, double b, bool &left, bool &top) {
    const double u = fraction(4 * a), v = fraction(4 * (80 * b) / 120);
    left = u < 0.5;
    top = v >= 0.5;
    return insideQuarter(u) && insideQuarter(v);
}

class ImportedRoom : public ImportedTexture, public testing::WithParamInterface<SurfaceCase> {};

} // namespace

// Drawn in the room, every point of the surface well inside a quarter of a tile shows that
// quarter's colour: the picture stands upright where the tool put it.
TEST_P(ImportedRoom, PictureIsUpright) {
    const SurfaceCase &c = GetParam();
    const GLuint name = importAndLoad(dir_, c.options);
    textures[1] = textures[2] = name;
    const Frame &frame = drawRoomFrame(500, 500);
    ASSERT_GE(frame.width, 500);
    ASSERT_GE(frame.height, 500);

    const Mat4 toClip = roomToClip(500, 500);
    int checked = 0;
    for (int i = 0; i <= 100; i++) {
        for (int j = 0; j <= 100; j++) {
            const double a = i / 100.0, b = j / 100.0;
            bool left = false, top = false;
            if (!c.expected(a, b, left, top)) {
                continue;
            }
            const Vec4 clip = toClip * c.point(a, b);
            if (clip.w <= 0) {
                continue;
            }
            const WindowPoint w = toWindow(clip, 500, 500);
            if (w.x < 2 || w.x > 497 || w.y < 2 || w.y > 497) {
                continue;
            }
            const uint8_t *p = frame.at(static_cast<int>(w.x), static_cast<int>(w.y));
            ASSERT_EQ((Rgb{p[0], p[1], p[2]}), quarterColour(left, top))
                << "at a " << a << ", b " << b << " (window " << w.x << ", " << w.y << ")";
            checked++;
        }
    }
    EXPECT_GT(checked, 1000) << "too little of the surface in view to tell";
    glDeleteTextures(1, &name);
}

INSTANTIATE_TEST_SUITE_P(
    Surfaces, ImportedRoom,
    testing::Values(SurfaceCase{"BackWall", {}, backWall, backWallQuarter},
                    SurfaceCase{"Floor", {"--floor"}, nearFloor, floorQuarter}),
    [](const testing::TestParamInfo<SurfaceCase> &info) { return std::string(info.param.name); });
