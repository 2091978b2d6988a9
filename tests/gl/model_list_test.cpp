// The model list, compiled from models read by the real reader and drawn in feedback mode:
// which triangles it draws, with which corners, texture coordinates and lit colours.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/model.h"
#include "feedback.h"
#include "gl_fixture.h"
#include "glmath.h"

namespace {

// The view of these tests: a 500 x 500 viewport and an orthographic projection of the cube
// from -10 to 10 on every axis, so that model coordinates land at known pixels.
constexpr int viewSize = 500;
constexpr double viewHalf = 10;

Mat4 orthographic(double half) {
    Mat4 r = Mat4::identity();
    r.at(0, 0) = r.at(1, 1) = 1 / half;
    r.at(2, 2) = -1 / half;
    return r;
}

void setUpView() {
    glViewport(0, 0, viewSize, viewSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-viewHalf, viewHalf, -viewHalf, viewHalf, -viewHalf, viewHalf);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

WindowPoint expectedPoint(double x, double y, double z) {
    return toWindow(orthographic(viewHalf) * Vec4{x, y, z, 1}, viewSize, viewSize);
}

// Reads `text` with the real reader (slot 1) and compiles the model list from it.
void compileModel(const std::string &text) {
    std::string buffer = text;
    FILE *stream = fmemopen(buffer.data(), buffer.size(), "r");
    ASSERT_NE(stream, nullptr);
    readModel(loadedSlot, stream);
    (void)fclose(stream);
    compileModelList();
}

std::vector<FeedbackItem> drawModelList() {
    return captureFeedback([] { glCallList(modelList); });
}

std::vector<FeedbackItem> polygons(const std::vector<FeedbackItem> &items) {
    std::vector<FeedbackItem> found;
    for (const FeedbackItem &item : items) {
        if (item.token == GL_POLYGON_TOKEN) {
            found.push_back(item);
        }
    }
    return found;
}

struct Corner {
    double x, y, z; // position, model units
    double s, t;    // texture coordinate
};

void expectTriangle(const FeedbackItem &drawn, const Corner (&corners)[3]) {
    ASSERT_EQ(drawn.vertices.size(), 3u);
    for (int k = 0; k < 3; k++) {
        SCOPED_TRACE("corner " + std::to_string(k + 1));
        const WindowPoint e = expectedPoint(corners[k].x, corners[k].y, corners[k].z);
        const FeedbackVertex &v = drawn.vertices[k];
        EXPECT_NEAR(v.x, e.x, 1e-3);
        EXPECT_NEAR(v.y, e.y, 1e-3);
        EXPECT_NEAR(v.z, e.z, 1e-5);
        EXPECT_DOUBLE_EQ(v.texture[0], corners[k].s);
        EXPECT_DOUBLE_EQ(v.texture[1], corners[k].t);
    }
}

const std::string nineLines = "v 1 2 3\nv 4 5 6\nv 7 8 9\nvt 0 0\nvt 1 0\nvt 1 1\nvn 0 0 1\n"
                              "f 1/1/1 2/2/1 3/3/1\n@\n";

class ModelList : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        setUpView();
        glDisable(GL_LIGHTING);
    }
    void TearDown() override {
        clearModel(loadedSlot);
        GlTest::TearDown();
    }
};

} // namespace

// The one-face file gives one triangle, corners in file order, each with its texture
// coordinate; compiling it draws nothing.
TEST_F(ModelList, OneFaceGivesOneTriangle) {
    const std::vector<FeedbackItem> whileCompiling =
        captureFeedback([] { compileModel(nineLines); });
    EXPECT_TRUE(whileCompiling.empty()) << "compiling draws nothing";
    EXPECT_TRUE(glIsList(modelList));

    const std::vector<FeedbackItem> items = drawModelList();
    ASSERT_EQ(items.size(), 1u);
    ASSERT_EQ(items[0].token, static_cast<GLenum>(GL_POLYGON_TOKEN));
    expectTriangle(items[0], {{1, 2, 3, 0, 0}, {4, 5, 6, 1, 0}, {7, 8, 9, 1, 1}});
}

// Faces come in file order, and a corner whose numbers lie outside the arrays reads entry 0:
// the model's origin, the texture coordinate (0, 0).
TEST_F(ModelList, FacesInFileOrderAndOutOfRangeCornersAtTheOrigin) {
    compileModel("v 1 2 3\nv 4 5 6\nv 7 8 9\nvt 0 0.5\nvt 1 0.25\nvt 0.75 1\nvn 0 0 1\n"
                 "f 3/3/1 1/1/1 2/2/1\n"
                 "f -1/-1/-1 2/2/1 3/3/1\n"
                 "f 1/1/1 10000/99999/4294967297 3/3/1\n"
                 "f 1/1/1 2/2/1 3/3/1\n@\n");
    const std::vector<FeedbackItem> drawn = polygons(drawModelList());
    ASSERT_EQ(drawn.size(), 4u);
    expectTriangle(drawn[0], {{7, 8, 9, 0.75, 1}, {1, 2, 3, 0, 0.5}, {4, 5, 6, 1, 0.25}});
    expectTriangle(drawn[1], {{0, 0, 0, 0, 0}, {4, 5, 6, 1, 0.25}, {7, 8, 9, 0.75, 1}});
    expectTriangle(drawn[2], {{1, 2, 3, 0, 0.5}, {0, 0, 0, 0, 0}, {7, 8, 9, 0.75, 1}});
    expectTriangle(drawn[3], {{1, 2, 3, 0, 0.5}, {4, 5, 6, 1, 0.25}, {7, 8, 9, 0.75, 1}});
}

// With no faces the list draws nothing, but exists and still switches normalisation on.
TEST_F(ModelList, EmptyModelDrawsNothing) {
    for (const std::string &text : {std::string("@\n"), std::string("v 1 2 3\nvn 0 0 1\n@\n")}) {
        compileModel(text);
        EXPECT_TRUE(glIsList(modelList));
        glDisable(GL_NORMALIZE);
        EXPECT_TRUE(drawModelList().empty());
        EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    }
}

namespace {

// The green that the program's light and material give a point at `p` (eye coordinates) with
// the normal `n`, worked out from the fixed-function lighting equation: no ambient (the
// material's is black), diffuse 0.5 times the cosine to the light, and a specular highlight
// of 0.7 with exponent 20 towards a viewer at infinity on +z.
double expectedGreen(const double p[3], const double n[3]) {
    double l[3], h[3], length = 0, nLength = 0;
    for (int k = 0; k < 3; k++) {
        l[k] = lightPosition[k] - p[k];
        length += l[k] * l[k];
        nLength += n[k] * n[k];
    }
    double diffuse = 0, hLength = 0;
    for (int k = 0; k < 3; k++) {
        l[k] /= std::sqrt(length);
        diffuse += l[k] * n[k] / std::sqrt(nLength);
        h[k] = l[k] + (k == 2 ? 1 : 0);
        hLength += h[k] * h[k];
    }
    if (diffuse <= 0) {
        return 0;
    }
    double specular = 0;
    for (int k = 0; k < 3; k++) {
        specular += h[k] / std::sqrt(hLength) * n[k] / std::sqrt(nLength);
    }
    return std::min(1.0, 0.5 * diffuse + 0.7 * std::pow(std::max(specular, 0.0), 20));
}

} // namespace

// The normals of the file reach OpenGL, and the list brings them to unit length: a face
// with a long normal turned to the light is lit as the lighting equation says, whether or
// not normalisation was on before; a face whose normal number is 0 (the zero normal) is not.
TEST_F(ModelList, NormalsReachTheLight) {
    glEnable(GL_LIGHTING);
    compileModel("v -4 -4 0\nv 4 -4 0\nv 0 4 0\nvn 0 3 4\n"
                 "f 1/0/1 2/0/1 3/0/1\n"
                 "f 1/0/0 2/0/0 3/0/0\n@\n");
    const double positions[3][3] = {{-4, -4, 0}, {4, -4, 0}, {0, 4, 0}};
    const double normal[3] = {0, 3, 4};
    glDisable(GL_NORMALIZE);
    const std::vector<FeedbackItem> drawn = polygons(drawModelList());
    ASSERT_EQ(drawn.size(), 2u);
    for (int k = 0; k < 3; k++) {
        SCOPED_TRACE("corner " + std::to_string(k + 1));
        const double *lit = drawn[0].vertices[k].color;
        const double green = expectedGreen(positions[k], normal);
        EXPECT_GT(green, 0.3) << "the face is turned to the light";
        EXPECT_NEAR(lit[0], 0, 1e-3);
        EXPECT_NEAR(lit[1], green, 2e-3);
        EXPECT_NEAR(lit[2], 0, 1e-3);

        const double *unlit = drawn[1].vertices[k].color;
        EXPECT_LT(unlit[1], green - 0.2) << "the zero normal is not lit like the face's normal";
    }
}
