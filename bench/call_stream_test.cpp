// The same-drawing floor must issue exactly robot's OpenGL calls, or the frame figures compare
// two different scenes. This test defines every OpenGL, GLU and GLUT function that robot's
// start-up routine and frame call (definitions in the executable take precedence over the
// shared libraries'), records each call with its arguments bit for bit (and the pixels that
// glTexImage2D is handed as a checksum), and compares robot's stream with the floor's, for the
// shipped assets and for the full-capacity model. No window is needed: nothing is forwarded.
#include <GL/glu.h>
#include <GL/glut.h>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "assets/model.h"
#include "floor_data.h"
#include "floor_gl.h"
#include "full_model.h"
#include "process.h"
#include "render/render.h"
#include "shell/shell.h"

namespace {

struct Call {
    std::string function;
    std::vector<uint64_t> arguments; // bit patterns

    bool operator==(const Call &other) const {
        return function == other.function && arguments == other.arguments;
    }
};

std::ostream &operator<<(std::ostream &out, const Call &call) {
    out << call.function << "(";
    for (size_t i = 0; i < call.arguments.size(); i++) {
        out << (i > 0 ? ", " : "") << "0x" << std::hex << call.arguments[i] << std::dec;
    }
    return out << ")";
}

std::vector<Call> calls;

uint64_t bits(float value) {
    uint32_t b;
    std::memcpy(&b, &value, sizeof b);
    return b;
}
uint64_t bits(double value) {
    uint64_t b;
    std::memcpy(&b, &value, sizeof b);
    return b;
}
uint64_t bits(int value) {
    return static_cast<uint32_t>(value);
}
uint64_t bits(unsigned value) {
    return value;
}

template <typename... Arguments> void note(const char *function, Arguments... arguments) {
    calls.push_back({function, {bits(arguments)...}});
}

void noteVector(const char *function, GLenum a, GLenum b, const GLfloat *values) {
    calls.push_back(
        {function, {a, b, bits(values[0]), bits(values[1]), bits(values[2]), bits(values[3])}});
}

// FNV-1a of `size` bytes.
uint64_t checksum(const void *bytes, size_t size) {
    uint64_t hash = 1469598103934665603ULL;
    for (size_t i = 0; i < size; i++) {
        hash = (hash ^ static_cast<const unsigned char *>(bytes)[i]) * 1099511628211ULL;
    }
    return hash;
}

} // namespace

// The recording definitions.
void glutFullScreen() {
    note("glutFullScreen");
}
void glutSwapBuffers() {
    note("glutSwapBuffers");
}
void GLAPIENTRY glClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    note("glClearColor", r, g, b, a);
}
void GLAPIENTRY glClearDepth(GLclampd depth) {
    note("glClearDepth", depth);
}
void GLAPIENTRY glClear(GLbitfield mask) {
    note("glClear", mask);
}
void GLAPIENTRY glEnable(GLenum cap) {
    note("glEnable", cap);
}
void GLAPIENTRY glDisable(GLenum cap) {
    note("glDisable", cap);
}
void GLAPIENTRY glDepthFunc(GLenum function) {
    note("glDepthFunc", function);
}
void GLAPIENTRY glShadeModel(GLenum mode) {
    note("glShadeModel", mode);
}
void GLAPIENTRY glPolygonMode(GLenum face, GLenum mode) {
    note("glPolygonMode", face, mode);
}
void GLAPIENTRY glLightfv(GLenum light, GLenum name, const GLfloat *values) {
    noteVector("glLightfv", light, name, values);
}
void GLAPIENTRY glMaterialfv(GLenum face, GLenum name, const GLfloat *values) {
    noteVector("glMaterialfv", face, name, values);
}
void GLAPIENTRY glMaterialf(GLenum face, GLenum name, GLfloat value) {
    note("glMaterialf", face, name, value);
}
void GLAPIENTRY glNewList(GLuint list, GLenum mode) {
    note("glNewList", list, mode);
}
void GLAPIENTRY glEndList() {
    note("glEndList");
}
void GLAPIENTRY glCallList(GLuint list) {
    note("glCallList", list);
}
void GLAPIENTRY glBegin(GLenum mode) {
    note("glBegin", mode);
}
void GLAPIENTRY glEnd() {
    note("glEnd");
}
void GLAPIENTRY glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    note("glNormal3f", x, y, z);
}
void GLAPIENTRY glTexCoord2f(GLfloat s, GLfloat t) {
    note("glTexCoord2f", s, t);
}
void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    note("glVertex3f", x, y, z);
}
void GLAPIENTRY glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    note("glColor3f", r, g, b);
}
void GLAPIENTRY glPixelStorei(GLenum name, GLint value) {
    note("glPixelStorei", name, value);
}
void GLAPIENTRY glGenTextures(GLsizei count, GLuint *names) {
    note("glGenTextures", count);
    // The same names for every caller: 1, 2, ...
    for (GLsizei i = 0; i < count; i++) {
        names[i] = static_cast<GLuint>(i + 1);
    }
}
void GLAPIENTRY glBindTexture(GLenum target, GLuint texture) {
    note("glBindTexture", target, texture);
}
void GLAPIENTRY glTexParameteri(GLenum target, GLenum name, GLint value) {
    note("glTexParameteri", target, name, value);
}
void GLAPIENTRY glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                             GLsizei height, GLint border, GLenum format, GLenum type,
                             const void *pixels) {
    note("glTexImage2D", target, level, internalFormat, width, height, border, format, type);
    // RGB bytes, rows packed (the unpack alignment is 1).
    calls.back().arguments.push_back(
        checksum(pixels, static_cast<size_t>(width) * static_cast<size_t>(height) * 3));
}
void GLAPIENTRY glTexEnvi(GLenum target, GLenum name, GLint value) {
    note("glTexEnvi", target, name, value);
}
void GLAPIENTRY glMatrixMode(GLenum mode) {
    note("glMatrixMode", mode);
}
void GLAPIENTRY glLoadIdentity() {
    note("glLoadIdentity");
}
void GLAPIENTRY glPushMatrix() {
    note("glPushMatrix");
}
void GLAPIENTRY glPopMatrix() {
    note("glPopMatrix");
}
void GLAPIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    note("glTranslatef", x, y, z);
}
void GLAPIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z) {
    note("glScalef", x, y, z);
}
void GLAPIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    note("glRotatef", angle, x, y, z);
}
void GLAPIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    note("gluPerspective", fovy, aspect, zNear, zFar);
}
void GLAPIENTRY glFlush() {
    note("glFlush");
}

namespace {

// Where the model file of each case comes from.
enum class Assets { Shipped, FullCapacity };

class SameCalls : public testing::TestWithParam<Assets> {
  protected:
    void SetUp() override {
        calls.clear();
        const std::string data = ROBOT_DATA_DIR;
        copyFile(data + "/wall7.bmp", dir_.file("wall7.bmp"));
        if (GetParam() == Assets::Shipped) {
            copyFile(data + "/head.obj", dir_.file("head.obj"));
        } else {
            writeFile(dir_.file("head.obj"), fullCapacityModel());
        }
        writeFloorData(dir_.path());
        ASSERT_TRUE(readFloorData(dir_.path(), floorData_));
    }

    // The calls that robot's start-up routine makes, in the test's directory.
    std::vector<Call> robotStartup() {
        char here[4096];
        EXPECT_NE(getcwd(here, sizeof here), nullptr);
        EXPECT_EQ(chdir(dir_.path().c_str()), 0);
        calls.clear();
        onInit();
        EXPECT_EQ(chdir(here), 0);
        return calls;
    }

    std::vector<Call> floorStartupCalls() {
        calls.clear();
        floorStartup(floorData_);
        return calls;
    }

    TempDir dir_;
    FloorData floorData_;
};

// The index of the first call in which two streams differ, for a readable failure.
size_t firstDifference(const std::vector<Call> &a, const std::vector<Call> &b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) {
        i++;
    }
    return i;
}

void expectSameCalls(const std::vector<Call> &robot, const std::vector<Call> &floor) {
    const size_t at = firstDifference(robot, floor);
    ASSERT_EQ(robot.size(), floor.size()) << "first difference at call " << at;
    if (at < robot.size()) {
        FAIL() << "call " << at << ": robot " << robot[at] << ", floor " << floor[at];
    }
}

TEST_P(SameCalls, StartUpAndFramesAreRobots) {
    const std::vector<Call> robot = robotStartup();
    const std::vector<Call> floor = floorStartupCalls();
    expectSameCalls(robot, floor);
    // The list holds every corner: 3 per face, each a normal, a texture coordinate, a vertex.
    const int faceCount = GetParam() == Assets::Shipped ? f_celkem[loadedSlot] : fullModelFaces;
    EXPECT_GT(robot.size(), static_cast<size_t>(faceCount) * 9);

    // Frames at the sizes that the benchmarks use, and at the window's starting size. The
    // head is not turning, so every frame of robot issues the same calls.
    const int frameSizes[][2] = {{500, 500}, {1280, 1024}, {1920, 1080}};
    for (const auto &size : frameSizes) {
        SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
        windowWidth = size[0];
        windowHeight = size[1];
        calls.clear();
        onDisplay();
        const std::vector<Call> robotFrame = calls;
        calls.clear();
        floorFrame(size[0], size[1]);
        expectSameCalls(robotFrame, calls);
        EXPECT_EQ(robotFrame.back().function, "glutSwapBuffers");
    }
}

INSTANTIATE_TEST_SUITE_P(Assets, SameCalls, testing::Values(Assets::Shipped, Assets::FullCapacity),
                         [](const testing::TestParamInfo<Assets> &info) {
                             return info.param == Assets::Shipped ? "Shipped" : "FullCapacity";
                         });

// The full-capacity model fills slot 1 of the store to its last entry, and no further.
TEST(FullCapacityModel, FillsTheSlot) {
    TempDir dir;
    writeFile(dir.file("head.obj"), fullCapacityModel());
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    loadModel();
    ASSERT_EQ(chdir(here), 0);
    EXPECT_EQ(i1, vertexCapacity - 1);
    EXPECT_EQ(i2, vertexCapacity - 1);
    EXPECT_EQ(i3, vertexCapacity - 1);
    EXPECT_EQ(i4, faceCapacity - 1);
    EXPECT_EQ(f_celkem[loadedSlot], faceCapacity - 1);
    EXPECT_EQ(err, 1);
    // The last face uses the vertices of the first ring: every number is in range.
    for (int face = 1; face <= f_celkem[loadedSlot]; face++) {
        for (int corner = 1; corner <= 3; corner++) {
            for (int element = 1; element <= 3; element++) {
                const int number = faces[loadedSlot][face][corner][element];
                ASSERT_GE(number, 1);
                ASSERT_LE(number, vertexCapacity - 1);
            }
        }
    }
}

} // namespace
