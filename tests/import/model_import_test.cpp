// robot-import model: models in standard formats, written by the tests, imported by the real
// tool and read back by the program's own loadModel. Each comes out as triangles in the
// viewer's dialect, every corner v/vt/vn, centred and 200 units tall; one too large for the
// viewer comes out within its capacity; and the tool never leaves a partial file behind nor
// writes over its input.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "assets/model.h"
#include "import_support.h"
#include "process.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Solids and the files that describe them
// ---------------------------------------------------------------------------------------------

using Vec = std::array<double, 3>;

Vec operator-(const Vec &a, const Vec &b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Vec cross(const Vec &a, const Vec &b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Vec &a, const Vec &b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
double norm(const Vec &a) {
    return std::sqrt(dot(a, a));
}
Vec scaled(const Vec &a, double s) {
    return {a[0] * s, a[1] * s, a[2] * s};
}

// A surface made of flat convex polygons, each listed counter-clockwise as seen from the side
// it faces, numbered from 0.
struct Solid {
    std::vector<Vec> vertices;
    std::vector<std::vector<int>> polygons;
};

// Twice the area of a polygon along its normal (Newell's method): its normal, as long as twice
// its area.
Vec areaNormal(const Solid &s, const std::vector<int> &polygon) {
    Vec sum{0, 0, 0};
    for (size_t k = 0; k < polygon.size(); k++) {
        const Vec &a = s.vertices[static_cast<size_t>(polygon[k])];
        const Vec &b = s.vertices[static_cast<size_t>(polygon[(k + 1) % polygon.size()])];
        const Vec c = cross(a, b);
        sum = {sum[0] + c[0], sum[1] + c[1], sum[2] + c[2]};
    }
    return sum;
}

// A box, 3 x 4 x 2, away from the origin, of six quads; and a hexagon of radius 1 that stands
// apart above it, facing +z.
Solid boxAndHexagon() {
    Solid s;
    for (int k = 0; k < 8; k++) {
        s.vertices.push_back(
            {(k & 1) != 0 ? 3.0 : 0.0, (k & 2) != 0 ? 5.0 : 1.0, (k & 4) != 0 ? 1.0 : -1.0});
    }
    s.polygons = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4},
                  {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
    std::vector<int> hexagon;
    for (int k = 0; k < 6; k++) {
        const double a = k * M_PI / 3;
        hexagon.push_back(static_cast<int>(s.vertices.size()));
        s.vertices.push_back({1.5 + std::cos(a), 7 + std::sin(a), 0});
    }
    s.polygons.push_back(hexagon);
    return s;
}

// A square pyramid, base 2 x 2 on y = 0, apex 5 above it: its sides meet at nearly 90 degrees.
Solid squarePyramid() {
    return {{{-1, 0, -1}, {1, 0, -1}, {1, 0, 1}, {-1, 0, 1}, {0, 5, 0}},
            {{0, 1, 2, 3}, {0, 4, 1}, {1, 4, 2}, {2, 4, 3}, {3, 4, 0}}};
}

// A tetrahedron whose up is z: 6 tall, on a right triangle 4 x 2.
Solid tallTetrahedronZUp() {
    return {{{0, 0, 0}, {4, 0, 0}, {0, 2, 0}, {0, 0, 6}},
            {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}}};
}

std::string number(double value) {
    // At most 16 characters (-1.79769313e+308): the number fits.
    char text[64];
    (void)std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

// Standard OBJ: a comment, objects and groups; the box's quads with negative (relative)
// numbers, written right after its vertices; then the hexagon, a polygon of six corners, with
// negative numbers as well. No normals, no texture coordinates.
std::string objWithQuadsAndNegativeIndices(const Solid &s) {
    std::string text = "# a box and a hexagon\nmtllib none.mtl\no box\n";
    for (int k = 0; k < 8; k++) {
        const Vec &v = s.vertices[static_cast<size_t>(k)];
        text += "v " + number(v[0]) + " " + number(v[1]) + " " + number(v[2]) + "\n";
    }
    for (size_t p = 0; p < 6; p++) {
        text += "f";
        for (const int k : s.polygons[p]) {
            text += " " + std::to_string(k - 8);
        }
        text += "\n";
    }
    text += "o hexagon\ng top\n";
    for (size_t k = 8; k < s.vertices.size(); k++) {
        const Vec &v = s.vertices[k];
        text += "v " + number(v[0]) + " " + number(v[1]) + " " + number(v[2]) + "\n";
    }
    text += "f";
    for (const int k : s.polygons[6]) {
        text += " " + std::to_string(k - static_cast<int>(s.vertices.size()));
    }
    return text + "\n";
}

// ASCII PLY: vertices and polygons as they stand (the base a quad).
std::string asciiPly(const Solid &s) {
    std::string text = "ply\nformat ascii 1.0\nelement vertex " +
                       std::to_string(s.vertices.size()) +
                       "\nproperty float x\nproperty float y\nproperty float z\n"
                       "element face " +
                       std::to_string(s.polygons.size()) +
                       "\nproperty list uchar int vertex_indices\nend_header\n";
    for (const Vec &v : s.vertices) {
        text += number(v[0]) + " " + number(v[1]) + " " + number(v[2]) + "\n";
    }
    for (const std::vector<int> &p : s.polygons) {
        text += std::to_string(p.size());
        for (const int k : p) {
            text += " " + std::to_string(k);
        }
        text += "\n";
    }
    return text;
}

void putFloat(std::string &bytes, double value) {
    const float f = static_cast<float>(value);
    char raw[4];
    std::memcpy(raw, &f, 4);
    bytes.append(raw, 4);
}

// Binary STL of a solid of triangles: an 80-byte header, the count, and each triangle with its
// unit normal.
std::string binaryStl(const Solid &s) {
    std::string bytes(80, ' ');
    const uint32_t count = static_cast<uint32_t>(s.polygons.size());
    for (int i = 0; i < 4; i++) {
        bytes += static_cast<char>((count >> (8 * i)) & 0xff);
    }
    for (const std::vector<int> &p : s.polygons) {
        const Vec n = areaNormal(s, p);
        for (const double c : scaled(n, 1 / norm(n))) {
            putFloat(bytes, c);
        }
        for (const int k : p) {
            for (const double c : s.vertices[static_cast<size_t>(k)]) {
                putFloat(bytes, c);
            }
        }
        bytes += std::string(2, '\0');
    }
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// What the viewer must get
// ---------------------------------------------------------------------------------------------

// Turns a z-up point or direction so that its up is y, as the tool documents: (x, z, -y).
Vec yUp(const Vec &v) {
    return {v[0], v[2], -v[1]};
}

// The solid as the tool must write it: turned (when z-up), its bounding box's middle at the
// origin, and scaled to 200 units tall. Returns the scale.
double expectedPlacement(const Solid &s, bool zUp, std::vector<Vec> &positions) {
    Vec low{HUGE_VAL, HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const Vec &v : s.vertices) {
        const Vec p = zUp ? yUp(v) : v;
        for (int k = 0; k < 3; k++) {
            low[static_cast<size_t>(k)] =
                std::min(low[static_cast<size_t>(k)], p[static_cast<size_t>(k)]);
            high[static_cast<size_t>(k)] =
                std::max(high[static_cast<size_t>(k)], p[static_cast<size_t>(k)]);
        }
    }
    const double scale = 200 / (high[1] - low[1]);
    positions.clear();
    for (const Vec &v : s.vertices) {
        const Vec p = zUp ? yUp(v) : v;
        positions.push_back({(p[0] - (low[0] + high[0]) / 2) * scale,
                             (p[1] - (low[1] + high[1]) / 2) * scale,
                             (p[2] - (low[2] + high[2]) / 2) * scale});
    }
    return scale;
}

Vec stored(const float *record) {
    return {record[1], record[2], record[3]};
}

// Every corner of every stored face names a stored vertex, texture vertex and normal.
void expectEveryCornerComplete() {
    for (int f = 1; f <= f_celkem[1]; f++) {
        for (int c = 1; c <= 3; c++) {
            const int32_t *corner = faces[1][f][c];
            EXPECT_TRUE(corner[1] >= 1 && corner[1] <= i1)
                << "face " << f << " vertex " << corner[1];
            EXPECT_TRUE(corner[2] >= 1 && corner[2] <= i2)
                << "face " << f << " texture " << corner[2];
            EXPECT_TRUE(corner[3] >= 1 && corner[3] <= i3)
                << "face " << f << " normal " << corner[3];
        }
    }
}

struct ModelCase {
    const char *name = "";
    const char *file = ""; // the input's name
    std::string (*write)(const Solid &) = nullptr;
    Solid (*solid)() = nullptr;
    std::vector<std::string> options;
    bool zUp = false;
};

void PrintTo(const ModelCase &c, std::ostream *out) {
    *out << c.name;
}

class RoundTrip : public testing::TestWithParam<ModelCase> {};

// The file imported and loaded gives one triangle for each corner past the second of each
// polygon; every corner lands on a vertex of the solid, placed as documented; each triangle
// lies within one polygon, winds as the polygon does, and the triangles of a polygon cover its
// area; every corner's normal is its polygon's (these solids have no edges under 80 degrees).
TEST_P(RoundTrip, LoadsAsTheSolidsTriangles) {
    const ModelCase &c = GetParam();
    const Solid solid = c.solid();
    const TempDir dir;
    writeFile(dir.file(c.file), c.write(solid));
    std::vector<std::string> args = {"model", c.file};
    args.insert(args.end(), c.options.begin(), c.options.end());

    const ToolRun run = runImport(args, dir.path());

    ASSERT_TRUE(run.exited) << run.err;
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("head.obj"), std::string::npos) << run.out;
    {
        const WorkingDirectory inDir(dir.path());
        loadModel();
    }

    std::vector<Vec> expected;
    const double scale = expectedPlacement(solid, c.zUp, expected);
    size_t triangles = 0;
    for (const std::vector<int> &p : solid.polygons) {
        triangles += p.size() - 2;
    }
    EXPECT_EQ(err, 1) << "no end marker";
    ASSERT_EQ(f_celkem[1], static_cast<int>(triangles));
    expectEveryCornerComplete();

    std::vector<double> coveredArea(solid.polygons.size(), 0);
    std::set<int> used;
    for (int f = 1; f <= f_celkem[1]; f++) {
        SCOPED_TRACE("face " + std::to_string(f));
        Vec corner[3];
        int vertexOf[3];
        for (int k = 0; k < 3; k++) {
            corner[k] = stored(vertex[1][modelEntry(faces[1][f][k + 1][1])]);
            // The solid's vertex at that place.
            vertexOf[k] = -1;
            for (size_t v = 0; v < expected.size(); v++) {
                if (norm(corner[k] - expected[v]) < 1e-3) {
                    vertexOf[k] = static_cast<int>(v);
                }
            }
            ASSERT_GE(vertexOf[k], 0) << "a corner at " << corner[k][0] << ", " << corner[k][1]
                                      << ", " << corner[k][2] << " is no vertex of the solid";
            used.insert(vertexOf[k]);
        }
        // The polygon that holds all three corners.
        size_t polygon = solid.polygons.size();
        for (size_t p = 0; p < solid.polygons.size(); p++) {
            const std::vector<int> &ps = solid.polygons[p];
            if (std::all_of(vertexOf, vertexOf + 3, [&](int v) {
                    return std::find(ps.begin(), ps.end(), v) != ps.end();
                })) {
                polygon = p;
            }
        }
        ASSERT_LT(polygon, solid.polygons.size()) << "a triangle across polygons";
        Vec polygonNormal = areaNormal(solid, solid.polygons[polygon]);
        polygonNormal = scaled(polygonNormal, 1 / norm(polygonNormal));
        if (c.zUp) {
            polygonNormal = yUp(polygonNormal);
        }
        const Vec winding = cross(corner[1] - corner[0], corner[2] - corner[0]);
        EXPECT_GT(dot(winding, polygonNormal), 0) << "wound the other way";
        coveredArea[polygon] += norm(winding) / 2;
        for (int k = 0; k < 3; k++) {
            const Vec n = stored(Nvector[1][modelEntry(faces[1][f][k + 1][3])]);
            EXPECT_LT(norm(n - polygonNormal), 1e-3)
                << "corner " << k + 1 << " normal " << n[0] << ", " << n[1] << ", " << n[2];
        }
    }
    EXPECT_EQ(used.size(), solid.vertices.size()) << "vertices of the solid left out";
    for (size_t p = 0; p < solid.polygons.size(); p++) {
        const double area = norm(areaNormal(solid, solid.polygons[p])) / 2 * scale * scale;
        EXPECT_NEAR(coveredArea[p], area, area * 1e-4) << "polygon " << p;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RoundTrip,
    testing::Values(
        ModelCase{"ObjWithQuadsHexagonAndNegativeIndices",
                  "box.obj",
                  objWithQuadsAndNegativeIndices,
                  boxAndHexagon,
                  {},
                  false},
        ModelCase{"AsciiPlyWithQuadBase", "pyramid.ply", asciiPly, squarePyramid, {}, false},
        ModelCase{
            "BinaryStlZUp", "tetrahedron.stl", binaryStl, tallTetrahedronZUp, {"--z-up"}, true}),
    [](const testing::TestParamInfo<ModelCase> &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// A model larger than the viewer holds
// ---------------------------------------------------------------------------------------------

// A sphere of radius 3 about (1, 2, 3) in `rings` rings of `segments` vertices between its two
// poles, as OBJ triangles: 2 + rings x segments vertices and 2 x segments x rings triangles.
std::string sphereObj(int segments, int rings) {
    std::string text;
    const auto put = [&](double x, double y, double z) {
        text += "v " + number(1 + 3 * x) + " " + number(2 + 3 * y) + " " + number(3 + 3 * z) + "\n";
    };
    put(0, 1, 0);
    for (int r = 1; r <= rings; r++) {
        const double theta = M_PI * r / (rings + 1);
        for (int s = 0; s < segments; s++) {
            const double phi = 2 * M_PI * s / segments;
            put(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
        }
    }
    put(0, -1, 0);
    const int south = 2 + rings * segments;
    const auto at = [&](int r, int s) { return 2 + (r - 1) * segments + s % segments; };
    const auto face = [&](int a, int b, int c) {
        text += "f " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c) + "\n";
    };
    for (int s = 0; s < segments; s++) {
        face(1, at(1, s + 1), at(1, s));
        face(south, at(rings, s), at(rings, s + 1));
        for (int r = 1; r < rings; r++) {
            face(at(r, s), at(r, s + 1), at(r + 1, s + 1));
            face(at(r, s), at(r + 1, s + 1), at(r + 1, s));
        }
    }
    return text;
}

constexpr int sphereSegments = 200, sphereRings = 119;
constexpr int sphereVertices = 2 + sphereSegments * sphereRings;  // 23,802
constexpr int sphereTriangles = 2 * sphereSegments * sphereRings; // 47,600

// Simplified to fit: every count within the store, all of it stored, and still the sphere:
// every vertex one of the sphere's (100 units from the middle, as it is 200 tall), reaching
// its poles and its sides, with most of the triangles the viewer can hold. The tool says by
// how much it simplified.
TEST(OverCapacity, IsSimplifiedToFit) {
    const TempDir dir;
    writeFile(dir.file("sphere.obj"), sphereObj(sphereSegments, sphereRings));

    const ToolRun run = runImport({"model", "sphere.obj"}, dir.path());

    ASSERT_TRUE(run.exited) << run.err;
    ASSERT_EQ(run.status, 0) << run.err;
    {
        const WorkingDirectory inDir(dir.path());
        loadModel();
    }
    EXPECT_EQ(err, 1);
    EXPECT_LE(i1, vertexCapacity - 1);
    EXPECT_LE(i2, vertexCapacity - 1);
    EXPECT_LE(i3, vertexCapacity - 1);
    EXPECT_LE(i4, faceCapacity - 1);
    EXPECT_EQ(f_celkem[1], i4);
    EXPECT_GT(i4, (faceCapacity - 1) * 3 / 4) << "simplified far more than needed";
    expectEveryCornerComplete();
    EXPECT_NE(run.err.find("simplified from 47,600 to " +
                           [] {
                               std::string n = std::to_string(i4);
                               return n.size() > 3 ? n.insert(n.size() - 3, ",") : n;
                           }() +
                           " triangles"),
              std::string::npos)
        << run.err;

    Vec low{HUGE_VAL, HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (int v = 1; v <= i1; v++) {
        const Vec p = stored(vertex[1][v]);
        ASSERT_NEAR(norm(p), 100, 1e-2) << "vertex " << v << " is off the sphere";
        for (size_t k = 0; k < 3; k++) {
            low[k] = std::min(low[k], p[k]);
            high[k] = std::max(high[k], p[k]);
        }
    }
    for (size_t k = 0; k < 3; k++) {
        EXPECT_LT(low[k], -99) << "axis " << k;
        EXPECT_GT(high[k], 99) << "axis " << k;
    }
    // Smooth normals: each points out of the sphere at its vertex.
    for (int f = 1; f <= f_celkem[1]; f++) {
        for (int c = 1; c <= 3; c++) {
            const Vec p = stored(vertex[1][modelEntry(faces[1][f][c][1])]);
            const Vec n = stored(Nvector[1][modelEntry(faces[1][f][c][3])]);
            ASSERT_GT(dot(n, p) / norm(p), 0.95) << "face " << f << " corner " << c;
        }
    }
}

// With --no-simplify the same model is refused, with its counts and the capacity in the
// message, and nothing is written.
TEST(OverCapacity, IsRefusedWithoutSimplifying) {
    const TempDir dir;
    writeFile(dir.file("sphere.obj"), sphereObj(sphereSegments, sphereRings));

    const ToolRun run = runImport({"model", "--no-simplify", "sphere.obj"}, dir.path());

    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.status, 1);
    for (const char *words : {"sphere.obj", "23,802 vertices", "47,600 triangles", "9,999",
                              "19,999", "--no-simplify"}) {
        EXPECT_NE(run.err.find(words), std::string::npos) << words << " not in: " << run.err;
    }
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"sphere.obj"});
}

// ---------------------------------------------------------------------------------------------
// Failures leave everything as it was
// ---------------------------------------------------------------------------------------------

struct FailureCase {
    const char *name = "";
    const char *input = ""; // written unless empty or head.obj
    std::string content;    // of the input
    std::vector<std::string> args;
    std::string message; // words the tool must say on standard error
};

void PrintTo(const FailureCase &c, std::ostream *out) {
    *out << c.name;
}

class ModelFailure : public testing::TestWithParam<FailureCase> {};

// The tool fails with status 1 and a message that names the file; the head.obj that was
// there stays as it was, and no other file appears.
TEST_P(ModelFailure, LeavesTheOutputAsItWas) {
    const FailureCase &c = GetParam();
    const TempDir dir;
    const std::string earlier = "v 1 2 3\n@\n";
    writeFile(dir.file("head.obj"), earlier);
    // An input named head.obj is the file that is there.
    if (*c.input != '\0' && std::string(c.input) != "head.obj") {
        writeFile(dir.file(c.input), c.content);
    }
    const std::vector<std::string> before = filesIn(dir.path());

    const ToolRun run = runImport(c.args, dir.path());

    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(readFile(dir.file("head.obj")), earlier);
    EXPECT_EQ(filesIn(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelFailure,
    testing::Values(
        FailureCase{"MissingInput", "", "", {"model", "missing.obj"}, "missing.obj: No such file"},
        FailureCase{"NotAModel",
                    "notes.txt",
                    "no model here\n",
                    {"model", "notes.txt"},
                    "notes.txt: cannot read it as a model"},
        FailureCase{"NoFaces",
                    "points.obj",
                    "v 0 0 0\nv 1 0 0\nv 0 1 0\n",
                    {"model", "points.obj"},
                    "points.obj"},
        FailureCase{"AllInOnePlace",
                    "dot.obj",
                    "v 1 1 1\nv 1 1 1\nv 1 1 1\nf 1 2 3\n",
                    {"model", "dot.obj"},
                    "dot.obj"},
        // The output named is the input itself, or another name of it.
        FailureCase{"OutputIsTheInput",
                    "head.obj",
                    "",
                    {"model", "head.obj", "-o", "./head.obj"},
                    "is the input file itself"},
        FailureCase{"OutputIsADirectory",
                    "tri.obj",
                    "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",
                    {"model", "tri.obj", "-o", "."},
                    "is a directory"},
        FailureCase{"OutputDirectoryMissing",
                    "tri.obj",
                    "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",
                    {"model", "tri.obj", "-o", "nowhere/head.obj"},
                    "nowhere/head.obj: cannot write"}),
    [](const testing::TestParamInfo<FailureCase> &info) { return std::string(info.param.name); });

// The input under two names (a hard link): writing to one would destroy the other, so the
// tool refuses, and both keep their content.
TEST(ModelOutput, RefusesAnotherNameOfTheInput) {
    const TempDir dir;
    const std::string model = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    writeFile(dir.file("model.obj"), model);
    ASSERT_EQ(link(dir.file("model.obj").c_str(), dir.file("head.obj").c_str()), 0);

    const ToolRun run = runImport({"model", "model.obj"}, dir.path());

    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("head.obj: is the input file itself"), std::string::npos) << run.err;
    EXPECT_EQ(readFile(dir.file("model.obj")), model);
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"head.obj", "model.obj"}));
}

// An existing output is replaced whole, and keeps no temporary file beside it; the new file
// is readable by others as an ordinary new file is.
TEST(ModelOutput, ReplacesAnExistingOutputWhole) {
    const TempDir dir;
    writeFile(dir.file("tri.obj"), "v 0 0 0\nv 1 0 0\nv 0 2 0\nf 1 2 3\n");
    writeFile(dir.file("out.obj"), std::string(100000, '#'));

    const ToolRun run = runImport({"model", "tri.obj", "--output", "out.obj"}, dir.path());

    ASSERT_EQ(run.status, 0) << run.err;
    const std::string written = readFile(dir.file("out.obj"));
    EXPECT_EQ(written.find("##"), std::string::npos);
    EXPECT_EQ(written.substr(written.size() - 2), "@\n");
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"out.obj", "tri.obj"}));
    struct stat status {};
    ASSERT_EQ(stat(dir.file("out.obj").c_str(), &status), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);
}

} // namespace
