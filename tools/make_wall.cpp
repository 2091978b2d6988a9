// make_wall: writes the program's wall image, "wall7.bmp", a seamless pattern of stone blocks
// laid in courses, as a 256 x 256 uncompressed 24-bit BMP.
//
// Usage: make_wall OUTPUT.bmp
//
// The picture is made with integer arithmetic only, from a fixed seed, so the same bytes come
// out on every machine and build. The program takes each pixel's bytes in the order stored and
// shows the first as red, the second as green and the third as blue (where a BMP would have
// blue, green, red): the colours below are written in that order, so that the walls come out
// in warm greys in the program, and in slightly cool greys in an ordinary image viewer.
//
// The room maps the image's columns (s) to the height of the walls and its rows (t) to their
// length, so the courses of stone are bands of columns here, and the blocks of a course are
// runs of rows.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// Image side in pixels: a power of two, whose rows of 3-byte pixels need no padding.
constexpr int side = 256;
constexpr int headerSize = 54;
constexpr int bytesPerPixel = 3;

// Courses of stone across one image, each `side / courseCount` pixels high (in the room).
constexpr int courseCount = 4;
constexpr int courseHeight = side / courseCount;
// Shortest and longest block, in pixels along a course; every course adds up to `side`.
constexpr int shortestBlock = 52;
constexpr int longestBlock = 108;
// Most blocks a course can hold (side / shortestBlock, rounded up, and one for the remainder).
constexpr int maxBlocksPerCourse = side / shortestBlock + 2;

// Mortar joints: twice their half width in pixels, kept wide enough to survive the minifying
// of the far walls.
constexpr int jointHalfWidth2 = 5;
// Width in pixels of the rounded edge of each block's face, inside the joint.
constexpr int bevelWidth = 5;

// Colours as the program shows them (red, green, blue): stone and mortar.
constexpr std::array<int, 3> stoneColour = {143, 136, 127};
constexpr std::array<int, 3> mortarColour = {82, 79, 75};

constexpr uint32_t seed = 0x57a11u;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// A well-mixed 32-bit hash of two coordinates and a stream number.
uint32_t hash(uint32_t x, uint32_t y, uint32_t stream) {
    uint32_t h = seed ^ (x * 0x9e3779b1u) ^ (y * 0x85ebca77u) ^ (stream * 0xc2b2ae3du);
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

// A whole number from `low` to `high`, both included, drawn from the hash.
int drawBetween(int low, int high, uint32_t x, uint32_t y, uint32_t stream) {
    return low + static_cast<int>(hash(x, y, stream) % static_cast<uint32_t>(high - low + 1));
}

// Smooth value noise of period `side` in both directions, on a lattice of `cell` pixels (a
// divisor of `side`): 0 to 255.
int valueNoise(int u, int v, int cell, uint32_t stream) {
    const int cells = side / cell;
    const int i = u / cell, j = v / cell;
    // Position inside the cell, 0 to 255, eased at both ends.
    const int fu = (u % cell) * 256 / cell, fv = (v % cell) * 256 / cell;
    const int eu = fu * fu * (768 - 2 * fu) / 65536, ev = fv * fv * (768 - 2 * fv) / 65536;
    const auto corner = [&](int di, int dj) {
        return static_cast<int>(hash(static_cast<uint32_t>((i + di) % cells),
                                     static_cast<uint32_t>((j + dj) % cells), stream) &
                                0xffu);
    };
    const int low = corner(0, 0) * (256 - eu) + corner(1, 0) * eu;
    const int high = corner(0, 1) * (256 - eu) + corner(1, 1) * eu;
    return (low * (256 - ev) + high * ev) / 65536;
}

// Fractal noise: four octaves of value noise, centred on 0, about -60 to +60.
int fractalNoise(int u, int v, uint32_t stream) {
    return ((valueNoise(u, v, 64, stream) - 128) * 8 +
            (valueNoise(u, v, 32, stream + 1) - 128) * 4 +
            (valueNoise(u, v, 16, stream + 2) - 128) * 2 +
            (valueNoise(u, v, 8, stream + 3) - 128)) /
           32;
}

// The block boundaries of one course: positions along it (0 to side - 1) where a joint runs
// across, in order, starting from a staggered offset.
struct Course {
    int offset = 0;
    int count = 0;
    std::array<int, maxBlocksPerCourse> length{};
};

Course layCourse(int course) {
    Course c;
    c.offset = drawBetween(0, side - 1, static_cast<uint32_t>(course), 0, 10);
    int left = side;
    while (left > 0) {
        int length = drawBetween(shortestBlock, longestBlock, static_cast<uint32_t>(course),
                                 static_cast<uint32_t>(c.count), 11);
        // The last block takes what remains; one that would be too short is shared out with
        // the block before it.
        if (left - length < shortestBlock) {
            length = left <= longestBlock ? left : left / 2;
        }
        c.length[static_cast<size_t>(c.count++)] = length;
        left -= length;
    }
    return c;
}

// Where pixel `v` lies in its course: the block's number, and the distances (doubled, from
// the pixel's centre) to the joints before and after it.
struct Place {
    int block = 0;
    int before2 = 0, after2 = 0;
};

Place placeInCourse(const Course &c, int v) {
    int along = ((v - c.offset) % side + side) % side;
    Place p;
    for (int b = 0; b < c.count; b++) {
        const int length = c.length[static_cast<size_t>(b)];
        if (along < length) {
            p.block = b;
            p.before2 = 2 * along + 1;
            p.after2 = 2 * (length - along) - 1;
            return p;
        }
        along -= length;
    }
    return p;
}

int clampByte(int value) {
    return value < 0 ? 0 : value > 255 ? 255 : value;
}

// The colour of pixel (u, v): u the column, v the row.
std::array<int, 3> pixel(const std::array<Course, courseCount> &courses, int u, int v) {
    const int course = u / courseHeight;
    const Place along = placeInCourse(courses[static_cast<size_t>(course)], v);
    // Doubled distances from the pixel's centre to the course's two edges.
    const int top2 = 2 * (u % courseHeight) + 1;
    const int bottom2 = 2 * (courseHeight - u % courseHeight) - 1;
    const int nearest2 = std::min(std::min(top2, bottom2), std::min(along.before2, along.after2));

    const int grain =
        static_cast<int>(hash(static_cast<uint32_t>(u), static_cast<uint32_t>(v), 20) % 13u) - 6;
    if (nearest2 < jointHalfWidth2) {
        const int shade = fractalNoise(u, v, 30) / 3 + grain;
        return {mortarColour[0] + shade, mortarColour[1] + shade, mortarColour[2] + shade};
    }

    // Each block its own tone and warmth.
    const uint32_t id = static_cast<uint32_t>(course * maxBlocksPerCourse + along.block);
    const int tone = drawBetween(-12, 12, id, 1, 40);
    const int warmth = drawBetween(-3, 5, id, 2, 40);
    // The face: cloudy, with a grain, and darker pits here and there.
    int shade = tone + fractalNoise(u, v, 50) / 2 + grain;
    if (hash(static_cast<uint32_t>(u / 2), static_cast<uint32_t>(v / 2), 60) % 97u == 0) {
        shade -= 26;
    }
    // Rounded edges: lit from above (the course's top edge, small u), shadowed below and, a
    // little, at the ends.
    const int depthTop = (top2 - jointHalfWidth2) / 2,
              depthBottom = (bottom2 - jointHalfWidth2) / 2;
    const int depthEnds = (std::min(along.before2, along.after2) - jointHalfWidth2) / 2;
    if (depthTop < bevelWidth) {
        shade += (bevelWidth - depthTop) * 5;
    }
    if (depthBottom < bevelWidth) {
        shade -= (bevelWidth - depthBottom) * 7;
    }
    if (depthEnds < bevelWidth) {
        shade -= (bevelWidth - depthEnds) * 3;
    }
    return {stoneColour[0] + shade + warmth, stoneColour[1] + shade,
            stoneColour[2] + shade - warmth};
}

void putLe(std::vector<uint8_t> &out, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++) {
        out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    }
}

std::vector<uint8_t> makeImage() {
    constexpr uint32_t pixelBytes = side * side * bytesPerPixel;
    std::vector<uint8_t> out(headerSize + pixelBytes, 0);
    // File header, then a 40-byte information header: a plain bottom-up 24-bit BMP.
    out[0] = 'B';
    out[1] = 'M';
    putLe(out, 2, headerSize + pixelBytes, 4);
    putLe(out, 10, headerSize, 4);
    putLe(out, 14, 40, 4);
    putLe(out, 18, side, 4);
    putLe(out, 22, side, 4);
    putLe(out, 26, 1, 2);
    putLe(out, 28, 24, 2);
    putLe(out, 34, pixelBytes, 4);
    // 72 dots per inch.
    putLe(out, 38, 2835, 4);
    putLe(out, 42, 2835, 4);

    std::array<Course, courseCount> courses;
    for (int c = 0; c < courseCount; c++) {
        courses[static_cast<size_t>(c)] = layCourse(c);
    }
    size_t at = headerSize;
    for (int v = 0; v < side; v++) {
        for (int u = 0; u < side; u++) {
            for (const int channel : pixel(courses, u, v)) {
                out[at++] = static_cast<uint8_t>(clampByte(channel));
            }
        }
    }
    return out;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::cerr << "usage: make_wall OUTPUT.bmp\n";
        return 2;
    }
    const std::vector<uint8_t> image = makeImage();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(image.data()),
              static_cast<std::streamsize>(image.size()));
    out.close();
    if (!out) {
        std::cerr << "make_wall: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
