// The shipped robot head, data/head.obj: exactly what its generator writes, a well-formed
// model that the reader takes whole, and a head of the promised size and shape.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "assets/model.h"
#include "process.h"

namespace {

const std::string shippedHead = std::string(ROBOT_DATA_DIR) + "/head.obj";

std::vector<std::string> linesOf(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The model as the tests read it for themselves, with strict checks of every line.
struct ObjModel {
    std::vector<Vec3> vertices, normals;
    int textureVertices = 0;
    std::vector<std::array<std::array<int, 3>, 3>> faces;
};

ObjModel parseStrictly(const std::string &text) {
    ObjModel model;
    const std::vector<std::string> lines = linesOf(text);
    EXPECT_FALSE(lines.empty());
    EXPECT_EQ(text.back(), '\n');
    for (size_t k = 0; k < lines.size(); k++) {
        const std::string &line = lines[k];
        SCOPED_TRACE("line " + std::to_string(k + 1) + ": " + line);
        // Far below the reader's 126 characters, so no line is read in pieces.
        EXPECT_LT(line.size(), 80u);
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "#") {
            continue;
        }
        if (kind == "@") {
            EXPECT_EQ(k + 1, lines.size()) << "the end marker is the last line";
            continue;
        }
        Vec3 v;
        if (kind == "v" || kind == "vn") {
            EXPECT_TRUE(fields >> v.x >> v.y >> v.z);
            (kind == "v" ? model.vertices : model.normals).push_back(v);
        } else if (kind == "vt") {
            EXPECT_TRUE(fields >> v.x >> v.y);
            model.textureVertices++;
        } else if (kind == "f") {
            std::array<std::array<int, 3>, 3> face{};
            for (auto &corner : face) {
                char slash1 = 0, slash2 = 0;
                EXPECT_TRUE(fields >> corner[0] >> slash1 >> corner[1] >> slash2 >> corner[2]);
                EXPECT_EQ(slash1, '/');
                EXPECT_EQ(slash2, '/');
            }
            model.faces.push_back(face);
        } else {
            ADD_FAILURE() << "unexpected line";
        }
        std::string rest;
        EXPECT_FALSE(fields >> rest) << "nothing after the record";
    }
    EXPECT_EQ(lines.back(), "@");
    return model;
}

} // namespace

// data/head.obj is what tools/make_head writes, to a file or to standard output.
TEST(HeadAsset, GeneratorWritesTheShippedFile) {
    const TempDir dir;
    ChildProcess toFile(MAKE_HEAD_BINARY, {dir.file("head.obj")}, dir.path(), "");
    ASSERT_TRUE(toFile.waitForExit(60000));
    ASSERT_TRUE(toFile.exitedNormally());
    ASSERT_EQ(toFile.exitStatus(), 0) << toFile.standardError();
    const std::string made = readFile(dir.file("head.obj"));
    const std::string shipped = readFile(shippedHead);
    if (made != shipped) {
        const std::vector<std::string> a = linesOf(made), b = linesOf(shipped);
        size_t k = 0;
        while (k < a.size() && k < b.size() && a[k] == b[k]) {
            k++;
        }
        FAIL() << "data/head.obj is not what tools/make_head writes; first difference at line "
               << k + 1 << "\n  made:    " << (k < a.size() ? a[k] : "(end)")
               << "\n  shipped: " << (k < b.size() ? b[k] : "(end)")
               << "\nwrite it anew with: build/tools/make_head data/head.obj";
    }

    ChildProcess toOutput(MAKE_HEAD_BINARY, {}, dir.path(), "");
    ASSERT_TRUE(toOutput.waitForExit(60000));
    EXPECT_EQ(toOutput.exitStatus(), 0);
    EXPECT_TRUE(toOutput.standardOutput() == made) << "standard output differs from the file";
}

// Triangles only, every corner vertex/texture vertex/normal with numbers that exist, unit
// normals, windings that agree with the normals, within the store's capacity; and the reader
// takes all of it, up to the end marker.
TEST(HeadAsset, ShippedHeadIsAWellFormedModel) {
    const std::string text = readFile(shippedHead);
    const ObjModel model = parseStrictly(text);
    const int vertices = static_cast<int>(model.vertices.size());
    const int normals = static_cast<int>(model.normals.size());
    const int faceCount = static_cast<int>(model.faces.size());
    EXPECT_LT(vertices, vertexCapacity);
    EXPECT_LT(model.textureVertices, vertexCapacity);
    EXPECT_LT(normals, vertexCapacity);
    EXPECT_GE(faceCount, 1000) << "a detailed head";
    EXPECT_LE(faceCount, 5000) << "a few thousand triangles at most";

    for (const Vec3 &n : model.normals) {
        EXPECT_NEAR(std::sqrt(dot(n, n)), 1.0, 1e-3);
    }
    int flat = 0, smooth = 0, against = 0;
    for (const auto &face : model.faces) {
        for (const auto &corner : face) {
            ASSERT_GE(corner[0], 1);
            ASSERT_LE(corner[0], vertices);
            ASSERT_GE(corner[1], 1);
            ASSERT_LE(corner[1], model.textureVertices);
            ASSERT_GE(corner[2], 1);
            ASSERT_LE(corner[2], normals);
        }
        const Vec3 a = model.vertices[face[0][0] - 1], b = model.vertices[face[1][0] - 1],
                   c = model.vertices[face[2][0] - 1];
        const Vec3 facing = cross(b - a, c - a);
        Vec3 sum;
        for (const auto &corner : face) {
            const Vec3 &n = model.normals[corner[2] - 1];
            sum = {sum.x + n.x, sum.y + n.y, sum.z + n.z};
        }
        // Counter-clockwise seen from the side that the normals point to.
        against += dot(facing, sum) <= 0 ? 1 : 0;
        const bool oneNormal = face[0][2] == face[1][2] && face[1][2] == face[2][2];
        (oneNormal ? flat : smooth)++;
    }
    EXPECT_EQ(against, 0) << "faces wound against their normals";
    EXPECT_GT(flat, 100) << "flat faces have one normal";
    EXPECT_GT(smooth, 100) << "curved surfaces have smooth normals";

    const TempDir dir;
    copyFile(shippedHead, dir.file("head.obj"));
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    loadModel();
    ASSERT_EQ(chdir(here), 0);
    EXPECT_EQ(i1, vertices);
    EXPECT_EQ(i2, model.textureVertices);
    EXPECT_EQ(i3, normals);
    EXPECT_EQ(i4, faceCount);
    EXPECT_EQ(f_celkem[1], faceCount);
    EXPECT_EQ(err, 1);
    for (int k = 0; k < vertices; k += 97) {
        EXPECT_NEAR(vertex[1][k + 1][1], model.vertices[k].x, 1e-4);
        EXPECT_NEAR(vertex[1][k + 1][2], model.vertices[k].y, 1e-4);
        EXPECT_NEAR(vertex[1][k + 1][3], model.vertices[k].z, 1e-4);
    }
    clearModel(loadedSlot);
}

// About 200 units tall, centred on the origin; its face (eyes, mouth) and antenna stand out
// towards +z and +y, as the viewer expects.
TEST(HeadAsset, ShippedHeadIsCentredAndAboutTwoHundredUnitsTall) {
    const ObjModel model = parseStrictly(readFile(shippedHead));
    ASSERT_FALSE(model.vertices.empty());
    Vec3 low = model.vertices[0], high = model.vertices[0];
    for (const Vec3 &v : model.vertices) {
        low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
        high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
    }
    EXPECT_NEAR(high.y - low.y, 200, 10);
    EXPECT_NEAR((low.x + high.x) / 2, 0, 0.01);
    EXPECT_NEAR((low.y + high.y) / 2, 0, 0.01);
    EXPECT_NEAR((low.z + high.z) / 2, 0, 0.01);
    EXPECT_LT(high.x - low.x, high.y - low.y) << "taller than wide, with the antenna";
    // The points furthest to the front are the two eyes, one on each side; the highest point
    // is the antenna's ball, halfway between the sides.
    bool leftEye = false, rightEye = false, offCentreTop = false;
    for (const Vec3 &v : model.vertices) {
        if (v.z > high.z - 1) {
            leftEye = leftEye || v.x < -10;
            rightEye = rightEye || v.x > 10;
        }
        if (v.y > high.y - 1) {
            offCentreTop = offCentreTop || std::fabs(v.x) > 15;
        }
    }
    EXPECT_TRUE(leftEye);
    EXPECT_TRUE(rightEye);
    EXPECT_FALSE(offCentreTop);
}
