// The real program and its robot head: the shipped head is drawn in green at its starting
// place, in front of the back wall, and nowhere else; without a usable head.obj the program
// runs on and draws the room alone.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

#include "glmath.h"
#include "robot_run.h"
#include "room.h"

namespace {

struct Look {
    Screenshot screen;
    WindowGeometry window;
};

// Runs the program in `workDir` until its picture stands still (nothing turns without keys),
// takes the screen, and closes the window: the program must end with status 0, silently.
void runAndLook(const std::string &workDir, Look &look) {
    RobotRun run;
    run.start(workDir);
    const Window window = run.waitForFullScreenWindow();
    ASSERT_NE(window, None) << "no full-screen window titled ROBOT";
    look.window = run.client().geometry(window);
    Screenshot previous = run.client().screenshot();
    bool steady = false;
    for (int tries = 0; tries < 60 && !steady; tries++) {
        sleepMs(200);
        Screenshot now = run.client().screenshot();
        const uint8_t *middle = now.at(now.width / 2, now.height / 2);
        steady = now.differingPixels(previous) == 0 && (middle[0] | middle[1] | middle[2]) != 0;
        previous = std::move(now);
    }
    ASSERT_TRUE(steady) << "the picture did not settle";
    ASSERT_TRUE(run.process().running());
    look.screen = std::move(previous);

    run.client().requestClose(window);
    run.expectEndedQuietly();
}

// A rectangle of screen pixels, inclusive.
struct Box {
    int left, top, right, bottom;
    bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
    long area() const { return static_cast<long>(right - left + 1) * (bottom - top + 1); }
};

// Where the points land on the screen, through `modelview` and the program's projection for
// the window, widened by `margin` pixels.
Box screenBox(const std::vector<Vec4> &points, const Mat4 &modelview, const WindowGeometry &w,
              int margin) {
    const Mat4 toClip = perspective(70.0, static_cast<double>(w.width) / w.height,
                                    static_cast<double>(0.1f), 300.0) *
                        modelview;
    double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
    for (const Vec4 &p : points) {
        const WindowPoint q = toWindow(toClip * p, w.width, w.height);
        // Window rows count from the bottom, screen rows from the top.
        const double x = w.x + q.x, y = w.y + (w.height - q.y);
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    return {static_cast<int>(std::floor(left)) - margin, static_cast<int>(std::floor(top)) - margin,
            static_cast<int>(std::ceil(right)) + margin,
            static_cast<int>(std::ceil(bottom)) + margin};
}

// The eight corners of the bounding box of the shipped head's vertices, model units.
std::vector<Vec4> headBoundingBox() {
    std::istringstream text(readFile(std::string(ROBOT_DATA_DIR) + "/head.obj"));
    double low[3] = {1e9, 1e9, 1e9}, high[3] = {-1e9, -1e9, -1e9};
    for (std::string line; std::getline(text, line);) {
        std::istringstream fields(line);
        std::string kind;
        double p[3];
        if (fields >> kind && kind == "v" && fields >> p[0] >> p[1] >> p[2]) {
            for (int k = 0; k < 3; k++) {
                low[k] = std::min(low[k], p[k]);
                high[k] = std::max(high[k], p[k]);
            }
        }
    }
    std::vector<Vec4> corners;
    corners.reserve(8);
    for (int k = 0; k < 8; k++) {
        corners.push_back({(k & 1) != 0 ? high[0] : low[0], (k & 2) != 0 ? high[1] : low[1],
                           (k & 4) != 0 ? high[2] : low[2], 1});
    }
    return corners;
}

// The robot at its starting place, not turned.
const Mat4 headModelview = robotModelview(0, 20, 0, 0, 0);

// The head's material and light are green only: a lit head pixel is green with no red or blue.
bool clearlyGreen(const uint8_t *p) {
    return p[1] >= 40 && p[0] * 4 <= p[1] && p[2] * 4 <= p[1];
}

bool isBackground(const uint8_t *p) {
    return p[0] == 0 && p[1] == 0 && std::abs(p[2] - 26) <= 1;
}

} // namespace

// Compared with a run whose head.obj holds no faces, the shipped head changes only pixels
// inside the screen box of its bounding box, in front of the back wall, and shows there as a
// green head filling its box. The comparison holds whatever the walls look like.
TEST(RobotHead, GreenHeadAtItsStartingPlaceInFrontOfTheBackWall) {
    const TempDir withHead, withoutHead;
    copyData(withHead);
    copyData(withoutHead);
    writeFile(withoutHead.file("head.obj"), "@\n");
    Look head, empty;
    {
        SCOPED_TRACE("with the head");
        runAndLook(withHead.path(), head);
    }
    {
        SCOPED_TRACE("without a head");
        runAndLook(withoutHead.path(), empty);
    }
    if (HasFatalFailure()) {
        return;
    }
    ASSERT_EQ(head.screen.width, empty.screen.width);
    ASSERT_EQ(head.screen.height, empty.screen.height);

    const Box box = screenBox(headBoundingBox(), headModelview, head.window, 2);
    const Box tight = screenBox(headBoundingBox(), headModelview, head.window, 0);
    // The back wall, on the far side of the room, lies behind the whole box.
    const std::vector<Vec4> backWall = {
        {40, 50, -100, 1}, {40, -5, -100, 1}, {-40, -5, -100, 1}, {-40, 50, -100, 1}};
    const Box wall = screenBox(backWall, roomModelview(), head.window, 0);
    ASSERT_TRUE(wall.contains(box.left, box.top) && wall.contains(box.right, box.bottom));
    ASSERT_GE(box.left, 0);
    ASSERT_GE(box.top, 0);
    ASSERT_LT(box.right, head.screen.width);
    ASSERT_LT(box.bottom, head.screen.height);

    long changedOutside = 0, changedInside = 0, green = 0, backgroundInside = 0;
    int greenLeft = head.screen.width, greenRight = -1, greenTop = head.screen.height,
        greenBottom = -1;
    for (int y = 0; y < head.screen.height; y++) {
        for (int x = 0; x < head.screen.width; x++) {
            const uint8_t *with = head.screen.at(x, y);
            const uint8_t *without = empty.screen.at(x, y);
            const bool changed =
                with[0] != without[0] || with[1] != without[1] || with[2] != without[2];
            if (!box.contains(x, y)) {
                changedOutside += changed ? 1 : 0;
                continue;
            }
            changedInside += changed ? 1 : 0;
            backgroundInside += isBackground(without) ? 1 : 0;
            if (changed && clearlyGreen(with)) {
                green++;
                greenLeft = std::min(greenLeft, x);
                greenRight = std::max(greenRight, x);
                greenTop = std::min(greenTop, y);
                greenBottom = std::max(greenBottom, y);
            }
        }
    }
    EXPECT_EQ(changedOutside, 0) << "the head is drawn outside its place";
    // Behind the head is the wall, not the background (a few wall pixels may happen to have
    // the background's colour once the walls are textured).
    EXPECT_LT(backgroundInside, box.area() / 100) << "behind the head is the wall";
    // The head covers much of its box (the corners of the box are empty), and its lit parts
    // are green and reach from the antenna to the neck and from ear to ear.
    EXPECT_GT(changedInside, box.area() / 3);
    EXPECT_GT(green, box.area() / 25);
    const double tightWidth = tight.right - tight.left, tightHeight = tight.bottom - tight.top;
    EXPECT_GT(greenRight - greenLeft, 0.7 * tightWidth);
    EXPECT_GT(greenBottom - greenTop, 0.7 * tightHeight);
}

namespace {

struct BadHead {
    const char *name;
    // Makes head.obj (or leaves it missing) in the working directory.
    void (*make)(const TempDir &dir);
};

void removeHead(const TempDir &dir) {
    std::filesystem::remove(dir.file("head.obj"));
}

void headIsADirectory(const TempDir &dir) {
    removeHead(dir);
    std::filesystem::create_directory(dir.file("head.obj"));
}

// Random bytes, with lines of every kind mixed in, and numbers far outside the arrays.
void garbageHead(const TempDir &dir) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text = "v 1 2 3\nv 4 5 6\nvt 1 1\nvn 0 0 1\n"
                       "f -5/-5/-5 99999/1/1 2147483648/0/0\n"
                       "f 1/1/1 2/1/1 99999999999999999999/-99999999999999999999/1\n";
    for (int k = 0; k < 200000; k++) {
        const int b = byte(random);
        text += b == '@' ? 'f' : static_cast<char>(b);
        if (k % 97 == 0) {
            text += "\nf 1/1/1 2/2/2 -2147483648/1/3\nv 1e39 -1e39 nan\n";
        }
    }
    writeFile(dir.file("head.obj"), text);
}

// More records of every kind than the store holds, without an end marker.
void oversizedHead(const TempDir &dir) {
    std::string text;
    for (int k = 1; k <= 10500; k++) {
        text += "v " + std::to_string(k % 50) + " 1 2\nvt 0 1\nvn 0 1 0\n";
    }
    for (int k = 1; k <= 20500; k++) {
        text += "f " + std::to_string(k % 10001) + "/1/1 " + std::to_string(k % 9000) + "/2/2 " +
                std::to_string(k) + "/3/3\n";
    }
    writeFile(dir.file("head.obj"), text);
}

class BadHeadFile : public testing::TestWithParam<BadHead> {};

} // namespace

// Without a head.obj that can be read, the program runs on and draws the room alone, exactly
// as with a head.obj of no faces.
TEST(RobotHead, MissingOrUnreadableHeadDrawsTheRoomAlone) {
    const TempDir emptyDir;
    copyData(emptyDir);
    writeFile(emptyDir.file("head.obj"), "@\n");
    Look empty;
    runAndLook(emptyDir.path(), empty);
    for (const BadHead &bad :
         {BadHead{"missing", removeHead}, BadHead{"directory", headIsADirectory}}) {
        SCOPED_TRACE(bad.name);
        const TempDir dir;
        copyData(dir);
        bad.make(dir);
        Look look;
        runAndLook(dir.path(), look);
        EXPECT_EQ(look.screen.differingPixels(empty.screen), 0);
    }
}

// A head.obj of garbage, or of more records than fit, does not stop the program: it draws,
// and ends with status 0 when its window is closed, without a word. (The sanitizer build runs
// this with AddressSanitizer watching every access of the store.)
TEST_P(BadHeadFile, ProgramRunsOn) {
    const TempDir dir;
    copyData(dir);
    GetParam().make(dir);
    Look look;
    runAndLook(dir.path(), look);
}

INSTANTIATE_TEST_SUITE_P(Files, BadHeadFile,
                         testing::Values(BadHead{"Garbage", garbageHead},
                                         BadHead{"Oversized", oversizedHead}),
                         [](const auto &info) { return std::string(info.param.name); });
