// The wall image in the real program. Without a usable "wall7.bmp" it ends at start-up: exit
// status 0, nothing printed, its window gone, and never full screen (the full-screen request
// takes effect only in the event loop). With the shipped image, the floor, walls and ceiling on
// the screen show it.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

#include "robot_run.h"
#include "room.h"

namespace {

// What the root window was told of: top-level windows created, and sized to the whole screen.
struct RootEvents {
    int created = 0;
    int fullScreen = 0;
};

RootEvents takeRootEvents(XClient &client) {
    Display *display = client.display();
    XSync(display, False);
    RootEvents seen;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == CreateNotify) {
            seen.created++;
        } else if (event.type == ConfigureNotify &&
                   event.xconfigure.width == client.screenWidth() &&
                   event.xconfigure.height == client.screenHeight()) {
            seen.fullScreen++;
        }
    }
    return seen;
}

// Number of top-level windows on the screen.
int topLevelWindows(XClient &client) {
    Window root = 0, parent = 0;
    Window *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(client.display(), DefaultRootWindow(client.display()), &root, &parent, &children,
                   &count) == 0) {
        return -1;
    }
    if (children != nullptr) {
        XFree(children);
    }
    return static_cast<int>(count);
}

// Waits until the screen has no top-level window (the server removes a client's windows once
// its connection is closed); false when some are still there after `timeoutMs`.
bool waitForNoWindows(XClient &client, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (topLevelWindows(client) != 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        sleepMs(20);
    }
    return true;
}

const std::string shippedWall = std::string(ROBOT_DATA_DIR) + "/wall7.bmp";

// A working directory with data/'s files, where wall7.bmp is `wall`, or absent when null.
void fillWorkDir(const TempDir &dir, const std::string *wall) {
    copyData(dir);
    std::filesystem::remove(dir.file("wall7.bmp"));
    if (wall != nullptr) {
        writeFile(dir.file("wall7.bmp"), *wall);
    }
}

// The shipped image with 4 bytes a pixel (a fourth byte of 255 after each), and 32 bits per
// pixel in its header.
std::string thirtyTwoBitWall() {
    const std::string shipped = readFile(shippedWall);
    std::string image = shipped.substr(0, 54);
    image[28] = 32;
    for (size_t i = 54; i + 3 <= shipped.size(); i += 3) {
        image += shipped.substr(i, 3) + "\xff";
    }
    return image;
}

struct BadWall {
    const char *name;
    bool present;
    std::string (*bytes)();
};

// Shown for a failing case: its name.
void PrintTo(const BadWall &wall, std::ostream *out) {
    *out << wall.name;
}

class BadWallImage : public testing::TestWithParam<BadWall> {};

} // namespace

TEST_P(BadWallImage, EndsAtStartUpSilentlyLeavingNoWindow) {
    TempDir dir;
    const std::string wall = GetParam().present ? GetParam().bytes() : "";
    fillWorkDir(dir, GetParam().present ? &wall : nullptr);

    RobotRun run;
    run.client().watchRootWindow();
    run.start(dir.path());
    run.expectEndedQuietly();

    EXPECT_TRUE(waitForNoWindows(run.client(), exitTimeoutMs)) << "a window is left";
    const RootEvents seen = takeRootEvents(run.client());
    EXPECT_GE(seen.created, 1) << "it ended before it had opened its window";
    EXPECT_EQ(seen.fullScreen, 0) << "its window went full screen: it ran into the event loop";
}

INSTANTIATE_TEST_SUITE_P(Files, BadWallImage,
                         testing::Values(BadWall{"Missing", false, nullptr},
                                         // Cut in the middle of the pixel data.
                                         BadWall{"Truncated", true,
                                                 [] {
                                                     const std::string shipped =
                                                         readFile(shippedWall);
                                                     return shipped.substr(0, shipped.size() / 2);
                                                 }},
                                         BadWall{"ThirtyTwoBit", true, thirtyTwoBitWall}),
                         [](const auto &info) { return std::string(info.param.name); });

namespace {

// The least and greatest value of each of the three bytes of the shipped image's pixels, which
// the program shows as red, green and blue.
struct ColourRange {
    int low[3] = {255, 255, 255};
    int high[3] = {0, 0, 0};
};

ColourRange shippedColours() {
    const std::string image = readFile(shippedWall);
    ColourRange range;
    for (size_t i = 54; i + 3 <= image.size(); i += 3) {
        for (int k = 0; k < 3; k++) {
            const int value = static_cast<uint8_t>(image[i + static_cast<size_t>(k)]);
            range.low[k] = std::min(range.low[k], value);
            range.high[k] = std::max(range.high[k], value);
        }
    }
    return range;
}

// Half the side of the square of screen pixels looked at around each point, pixels.
constexpr int patchRadius = 3;

// True when the square around screen pixel (x, y) looks like the wall image: every pixel in
// the image's range of colours (filtering mixes texels, so nothing outside it), and several
// different colours, as a textured surface has and a flat one has not.
bool looksTextured(const Screenshot &shot, int x, int y, const ColourRange &range) {
    std::set<int> colours;
    for (int dy = -patchRadius; dy <= patchRadius; dy++) {
        for (int dx = -patchRadius; dx <= patchRadius; dx++) {
            const uint8_t *p = shot.at(x + dx, y + dy);
            for (int k = 0; k < 3; k++) {
                if (p[k] + 1 < range.low[k] || p[k] > range.high[k] + 1) {
                    return false;
                }
            }
            colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
        }
    }
    return colours.size() >= 5;
}

} // namespace

// Points well inside each of the five surfaces, placed through the camera and the perspective
// at the window's size, show the wall image: the image's colours, varied, not flat red. The
// model is an empty one (its first line is the end marker), so that no robot stands in front
// of the walls.
TEST(ShippedWallImage, TexturesFloorWallsAndCeiling) {
    TempDir dir;
    const std::string wall = readFile(shippedWall);
    fillWorkDir(dir, &wall);
    writeFile(dir.file("head.obj"), "@\n");

    RobotRun run;
    run.start(dir.path());
    const Window window = run.waitForFullScreenWindow();
    ASSERT_NE(window, None) << "no full-screen window titled ROBOT";
    const WindowGeometry g = run.client().geometry(window);
    const ColourRange range = shippedColours();

    const std::vector<std::vector<WindowPoint>> surfaces =
        pointsInsideRoomSurfaces(g.width, g.height, patchRadius);
    // The frames at full-screen size follow the resize within a few timer ticks; look again
    // for a while before giving up.
    std::string report;
    for (int attempt = 0; attempt < 20; attempt++) {
        sleepMs(250);
        const Screenshot shot = run.client().screenshot();
        std::ostringstream failures;
        for (size_t q = 0; q < surfaces.size(); q++) {
            int looked = 0, textured = 0;
            for (const WindowPoint &w : surfaces[q]) {
                // Window pixels count rows from the bottom, the screen from the top.
                const int x = g.x + static_cast<int>(w.x);
                const int y = g.y + g.height - 1 - static_cast<int>(w.y);
                if (x < patchRadius || y < patchRadius || x >= shot.width - patchRadius ||
                    y >= shot.height - patchRadius) {
                    continue;
                }
                looked++;
                textured += looksTextured(shot, x, y, range) ? 1 : 0;
            }
            if (looked < 5 || textured < looked) {
                failures << "quad " << q << ": " << textured << " of " << looked
                         << " points textured; ";
            }
        }
        report = failures.str();
        if (report.empty()) {
            break;
        }
    }
    EXPECT_EQ(report, "");

    run.client().requestClose(window);
    run.expectEndedQuietly();
}
