// Frame drawing: where the room's corners and the robot land in the window, what colour the
// room and the background have, how the projection follows the window size, and how the spin
// advances from frame to frame.
#include <climits>
#include <cmath>
#include <vector>

#include "feedback.h"
#include "gl_fixture.h"
#include "glmath.h"
#include "room.h"

namespace {

// Tolerances: window coordinates in pixels, depth, and relative area.
constexpr double pixelTolerance = 0.02;
constexpr double depthTolerance = 1e-5;
constexpr double areaTolerance = 1e-4;

bool near(const WindowPoint &a, const FeedbackVertex &b) {
    return std::fabs(a.x - b.x) < pixelTolerance && std::fabs(a.y - b.y) < pixelTolerance;
}

// The vertices of `polygons` drawn at the window point `e`.
std::vector<const FeedbackVertex *> drawnAt(const std::vector<FeedbackItem> &polygons,
                                            const WindowPoint &e) {
    std::vector<const FeedbackVertex *> found;
    for (const FeedbackItem &polygon : polygons) {
        for (const FeedbackVertex &v : polygon.vertices) {
            if (near(e, v)) {
                found.push_back(&v);
            }
        }
    }
    return found;
}

// True when `p` lies inside the convex polygon or within the tolerance of its border.
bool insideConvex(const std::vector<WindowPoint> &polygon, const FeedbackVertex &p) {
    double sign = 0;
    for (size_t i = 0; i < polygon.size(); i++) {
        const WindowPoint &a = polygon[i];
        const WindowPoint &b = polygon[(i + 1) % polygon.size()];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        if (length < 1e-9) {
            continue;
        }
        const double side = ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x)) / length;
        if (std::fabs(side) < pixelTolerance) {
            continue;
        }
        if (sign == 0) {
            sign = side;
        } else if ((side > 0) != (sign > 0)) {
            return false;
        }
    }
    return true;
}

std::vector<FeedbackItem> feedbackOfOneFrame() {
    probes.markPrimitives = true;
    std::vector<FeedbackItem> items = captureFeedback(onDisplay);
    probes.markPrimitives = false;
    return items;
}

// The single point that the stand-in model drew.
FeedbackVertex robotPoint(const std::vector<FeedbackItem> &items) {
    std::vector<FeedbackVertex> points;
    for (const FeedbackItem &item : items) {
        if (item.token == GL_POINT_TOKEN) {
            points.push_back(item.vertices[0]);
        }
    }
    EXPECT_EQ(points.size(), 1u);
    return points.empty() ? FeedbackVertex{} : points[0];
}

WindowPoint expectedRobotPoint(int width, int height, const Mat4 &modelview, const Vec4 &point) {
    return toWindow(sceneProjection(width, height) * (modelview * point), width, height);
}

class FrameGeometry : public GlTest, public testing::WithParamInterface<std::pair<int, int>> {};

} // namespace

// Every quad of the room, clipped to the view volume, covers exactly the window area that its
// corners give through the camera and the perspective: each corner in view appears with its
// depth and texture coordinate, every vertex lies on the quad, and the triangles add up to it.
TEST_P(FrameGeometry, RoomCornersLandWhereTheMatricesPutThem) {
    const auto [width, height] = GetParam();
    compileStandInModel([] {});
    onResize(width, height);
    const std::vector<std::vector<FeedbackItem>> quads = polygonsByMarker(feedbackOfOneFrame());
    ASSERT_EQ(quads.size(), 5u) << "the room is five primitives";

    const Mat4 toClip = roomToClip(width, height);
    int cornersInView = 0;
    for (int q = 0; q < 5; q++) {
        SCOPED_TRACE("quad " + std::to_string(q));
        std::vector<Vec4> corners;
        for (const RoomCorner &c : roomQuads[q]) {
            corners.push_back(toClip * Vec4{c.x, c.y, c.z, 1});
        }
        std::vector<WindowPoint> expected;
        for (const Vec4 &v : clipToViewVolume(corners)) {
            expected.push_back(toWindow(v, width, height));
        }

        double area = 0;
        for (const FeedbackItem &polygon : quads[q]) {
            std::vector<WindowPoint> drawn;
            for (const FeedbackVertex &v : polygon.vertices) {
                EXPECT_TRUE(insideConvex(expected, v)) << "vertex at " << v.x << ", " << v.y;
                drawn.push_back({v.x, v.y, v.z});
            }
            area += windowArea(drawn);
        }
        EXPECT_NEAR(area, windowArea(expected), areaTolerance * windowArea(expected) + 1e-6);

        for (const WindowPoint &e : expected) {
            const std::vector<const FeedbackVertex *> found = drawnAt(quads[q], e);
            EXPECT_FALSE(found.empty()) << "no vertex at " << e.x << ", " << e.y;
            for (const FeedbackVertex *v : found) {
                EXPECT_NEAR(v->z, e.z, depthTolerance);
            }
        }

        // The corners that lie inside the view volume keep their own texture coordinates.
        for (int k = 0; k < 4; k++) {
            const Vec4 &v = corners[k];
            if (std::fabs(v.x) < v.w && std::fabs(v.y) < v.w && std::fabs(v.z) < v.w) {
                cornersInView++;
                for (const FeedbackVertex *f : drawnAt(quads[q], toWindow(v, width, height))) {
                    EXPECT_DOUBLE_EQ(f->texture[0], roomQuads[q][k].s);
                    EXPECT_DOUBLE_EQ(f->texture[1], roomQuads[q][k].t);
                }
            }
        }
    }
    // The far corners of the floor, walls and ceiling are in view at every size tested.
    EXPECT_GE(cornersInView, 4);
}

// The model's origin is drawn at eye coordinates (posx, 4.9, posz - 50), whatever the spin.
TEST_P(FrameGeometry, RobotCentreIsAtItsPlace) {
    const auto [width, height] = GetParam();
    compileStandInModel([] {
        glBegin(GL_POINTS);
        glVertex3f(0, 0, 0);
        glEnd();
    });
    onResize(width, height);
    const struct {
        float x, z;
        int ax, ay, az;
    } places[] = {{0, 20, 0, 0, 0}, {7, -3, 0, 0, 0}, {-12, 5, 90, 45, 30}};
    for (const auto &place : places) {
        posx = place.x;
        posz = place.z;
        sx = place.ax;
        sy = place.ay;
        sz = place.az;
        const FeedbackVertex drawn = robotPoint(feedbackOfOneFrame());
        const WindowPoint expected = toWindow(
            sceneProjection(width, height) * Vec4{place.x, 4.9, place.z - 50.0, 1}, width, height);
        EXPECT_NEAR(drawn.x, expected.x, pixelTolerance) << "posx " << place.x;
        EXPECT_NEAR(drawn.y, expected.y, pixelTolerance) << "posz " << place.z;
        EXPECT_NEAR(drawn.z, expected.z, depthTolerance);
    }
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, FrameGeometry,
                         testing::Values(std::pair{1280, 1024}, std::pair{500, 500},
                                         std::pair{1920, 1080}),
                         [](const auto &info) {
                             return std::to_string(info.param.first) + "x" +
                                    std::to_string(info.param.second);
                         });

// With no texture loaded the room is flat red and unlit; what the frame does not cover shows
// the clear colour. A viewport smaller than the window leaves a cleared margin to look at.
TEST_F(GlTest, RoomIsFlatRedOnTheClearColour) {
    const Frame &frame = drawRoomFrame(250, 200);
    ASSERT_GE(frame.width, 300);
    ASSERT_GE(frame.height, 300);

    EXPECT_EQ(frame.pixelsOtherThan(250, 200, 255, 0, 0), 0)
        << "pixels of the room that are not pure red";

    for (const auto &[x, y] : {std::pair{260, 10}, std::pair{10, 210}, std::pair{299, 299}}) {
        const uint8_t *p = frame.at(x, y);
        EXPECT_EQ(p[0], 0);
        EXPECT_EQ(p[1], 0);
        EXPECT_NEAR(p[2], 0.1 * 255, 1.0) << "clear colour at " << x << ", " << y;
    }
}

// The reshape handler sets the viewport and stores the size; every frame builds its projection
// from the last stored size, and a zero height never makes it infinite or NaN.
TEST_F(GlTest, ProjectionFollowsTheLastStoredSize) {
    compileStandInModel([] {});
    const struct {
        int width, height;
        double aspect;
    } sizes[] = {{640, 480, 640.0 / 480},
                 {300, 600, 0.5},
                 {1920, 1080, 1920.0 / 1080},
                 {800, 0, 800.0},
                 {0, 0, 0.0}};
    for (const auto &size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        onResize(size.width, size.height);
        EXPECT_EQ(windowWidth, size.width);
        EXPECT_EQ(windowHeight, size.height);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], 0);
        EXPECT_EQ(viewport[2], size.width);
        EXPECT_EQ(viewport[3], size.height);

        // Two frames with no reshape between them use the same size.
        for (int frame = 0; frame < 2; frame++) {
            onDisplay();
            GLdouble projection[16];
            glGetDoublev(GL_PROJECTION_MATRIX, projection);
            for (double element : projection) {
                EXPECT_TRUE(std::isfinite(element));
            }
            if (size.aspect > 0) {
                const Mat4 expected = perspective(70.0, size.aspect, 0.1f, 300.0);
                for (int i = 0; i < 16; i++) {
                    EXPECT_NEAR(projection[i], expected.m[i], 1e-6 * (1 + std::fabs(expected.m[i])))
                        << "element " << i;
                }
            }
        }
    }
}

namespace {

// Where the stand-in model's point at (100, 0, 0) lands for the given angles, at 500 x 500.
WindowPoint expectedMarker(double ax, double ay, double az) {
    return expectedRobotPoint(500, 500, robotModelview(0, 20, ax, ay, az), Vec4{100, 0, 0, 1});
}

class Spin : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        compileStandInModel([] {
            glBegin(GL_POINTS);
            glVertex3f(100, 0, 0);
            glEnd();
        });
        onResize(500, 500);
    }
};

} // namespace

// Each drawn frame adds 5 degrees per unit of direction to each angle; 72 frames make a whole
// turn, and the angle goes on growing past it.
TEST_F(Spin, EachFrameAddsFiveDegreesPerDirection) {
    ssx = 1;
    for (int frame = 1; frame <= 73; frame++) {
        onDisplay();
        ASSERT_EQ(sx, 5 * frame);
    }
    EXPECT_EQ(sx, 365);
    EXPECT_EQ(sy, 0);
    EXPECT_EQ(sz, 0);

    ssx = 0;
    ssy = -1;
    ssz = 1;
    for (int frame = 0; frame < 4; frame++) {
        onDisplay();
    }
    EXPECT_EQ(sx, 365);
    EXPECT_EQ(sy, -20);
    EXPECT_EQ(sz, 20);
}

// With every direction 0 the angles keep their values and the robot stays where it is.
TEST_F(Spin, StandsStillWithoutDirection) {
    sx = 40;
    sy = -75;
    sz = 300;
    std::vector<FeedbackVertex> drawn;
    drawn.reserve(3);
    for (int frame = 0; frame < 3; frame++) {
        drawn.push_back(robotPoint(captureFeedback(onDisplay)));
    }
    EXPECT_EQ(sx, 40);
    EXPECT_EQ(sy, -75);
    EXPECT_EQ(sz, 300);
    const WindowPoint expected = expectedMarker(40, -75, 300);
    for (const FeedbackVertex &v : drawn) {
        EXPECT_NEAR(v.x, expected.x, pixelTolerance);
        EXPECT_NEAR(v.y, expected.y, pixelTolerance);
    }
}

// However long an axis turns, its angle stays far inside 32 bits, and the orientation drawn in
// each frame is the one that the unreduced angle gives: no jump when the angle is reduced.
TEST_F(Spin, AnglesStayInRangeWithoutAJump) {
    const struct {
        int start, direction;
    } cases[] = {{spinAngleLimit - 10, 1},
                 {-(spinAngleLimit - 10), -1},
                 {INT_MAX, 1},
                 {INT_MIN, -1},
                 {INT_MAX - 2, -1}};
    for (const auto &c : cases) {
        SCOPED_TRACE("from " + std::to_string(c.start) + " turning " + std::to_string(c.direction));
        sx = c.start;
        ssx = c.direction;
        long long unreduced = c.start;
        for (int frame = 0; frame < 4; frame++) {
            unreduced += 5LL * c.direction;
            const FeedbackVertex drawn = robotPoint(captureFeedback(onDisplay));
            EXPECT_GT(sx, -spinAngleLimit);
            EXPECT_LT(sx, spinAngleLimit);
            EXPECT_EQ((static_cast<long long>(sx) - unreduced) % 360, 0) << "whole turns only";
            const WindowPoint expected = expectedMarker(static_cast<double>(unreduced % 360), 0, 0);
            EXPECT_NEAR(drawn.x, expected.x, 0.05);
            EXPECT_NEAR(drawn.y, expected.y, 0.05);
        }
    }
}
