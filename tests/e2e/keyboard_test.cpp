// The real program driven by real key events: letters start and stop the head's spin, Shift
// does not matter, the Up arrow moves the head towards the back wall, and Esc ends it with
// status 0. It prints nothing throughout.
#include <gtest/gtest.h>

#include "robot_run.h"

namespace {

// How long to let the program draw after a key before looking, milliseconds: several frames.
constexpr int settleMs = 300;

// The lit head is green; neither the room nor the background is.
bool isHead(const uint8_t *p) {
    return p[1] > 60 && p[1] > 2 * p[0] && p[1] > 2 * p[2];
}

struct HeadOnScreen {
    long pixels = 0;
    int top = 1 << 30, bottom = -1;
};

HeadOnScreen findHead(const Screenshot &shot) {
    HeadOnScreen head;
    for (int y = 0; y < shot.height; y++) {
        for (int x = 0; x < shot.width; x++) {
            if (isHead(shot.at(x, y))) {
                head.pixels++;
                head.top = std::min(head.top, y);
                head.bottom = std::max(head.bottom, y);
            }
        }
    }
    return head;
}

class Keys : public testing::Test {
  protected:
    void SetUp() override {
        run.start(ROBOT_DATA_DIR);
        window = run.waitForFullScreenWindow();
        ASSERT_NE(window, None);
        sleepMs(settleMs);
    }

    // Two screenshots a few frames apart: how many pixels differ.
    long changeOverTime() {
        const Screenshot before = run.client().screenshot();
        sleepMs(settleMs);
        return before.differingPixels(run.client().screenshot());
    }

    void press(const std::string &key, bool shift = false) {
        run.client().pressKey(window, key, shift);
        sleepMs(settleMs);
    }

    // Esc ends the program with status 0, and it has printed nothing.
    void quitAndCheck() {
        run.client().pressKey(window, "Escape");
        run.expectEndedQuietly();
    }

    RobotRun run;
    Window window = None;
};

} // namespace

TEST_F(Keys, LettersStartAndStopTheSpin) {
    ASSERT_GT(findHead(run.client().screenshot()).pixels, 1000) << "the head is in view";
    EXPECT_EQ(changeOverTime(), 0) << "still before any key";

    const struct {
        const char *key;
        bool shift;
        bool turning;
    } steps[] = {{"q", false, true}, {"w", false, false}, {"q", true, true},  {"w", true, false},
                 {"e", false, true}, {"w", false, false}, {"a", false, true}, {"s", false, false},
                 {"x", true, true},  {"c", true, false}};
    for (const auto &step : steps) {
        SCOPED_TRACE(std::string(step.shift ? "Shift+" : "") + step.key);
        press(step.key, step.shift);
        if (step.turning) {
            EXPECT_GT(changeOverTime(), 200) << "the head turns";
        } else {
            EXPECT_EQ(changeOverTime(), 0) << "the head stands still";
        }
    }
    quitAndCheck();
}

// Twenty presses of Up take the head from 30 to 50 units in front of the viewer: it looks
// 30/50 as tall and (30/50)^2 as large.
TEST_F(Keys, UpArrowMovesTheHeadTowardsTheBackWall) {
    const HeadOnScreen before = findHead(run.client().screenshot());
    ASSERT_GT(before.pixels, 1000);
    for (int i = 0; i < 20; i++) {
        run.client().pressKey(window, "Up");
    }
    sleepMs(settleMs);
    const HeadOnScreen after = findHead(run.client().screenshot());
    ASSERT_GT(after.pixels, 100);

    const double heightRatio =
        static_cast<double>(after.bottom - after.top) / (before.bottom - before.top);
    const double areaRatio = static_cast<double>(after.pixels) / static_cast<double>(before.pixels);
    EXPECT_NEAR(heightRatio, 30.0 / 50.0, 0.08);
    EXPECT_NEAR(areaRatio, 0.36, 0.12);
    quitAndCheck();
}
