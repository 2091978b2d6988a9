// A user's own model and picture, brought in with the two robot-import commands and shown by
// the real program: it starts with them, draws the picture on its walls in the picture's own
// colours and the model in green in front of them, and ends silently with status 0.
#include <cstdint>
#include <gtest/gtest.h>
#include <string>

#include "import_support.h"
#include "robot_run.h"

namespace {

// Four colours, none of them green, and none the others with red and blue exchanged.
const Rgb red{220, 30, 30}, blue{20, 40, 210}, yellow{230, 220, 20}, grey{160, 160, 160};

Rgb quarter(int x, int y) {
    return y < 32 ? (x < 32 ? red : blue) : (x < 32 ? yellow : grey);
}

// The model's material and light are green only: a lit model pixel is green with no red or
// blue.
bool clearlyGreen(const uint8_t *p) {
    return p[1] >= 40 && p[0] * 4 <= p[1] && p[2] * 4 <= p[1];
}

} // namespace

TEST(ImportedAssets, ShowInTheViewer) {
    const TempDir dir;
    // An octahedron in standard OBJ, in its own units; its upper faces turn to the light.
    writeFile(dir.file("gem.obj"), "v 1 0 0\nv -1 0 0\nv 0 1 0\nv 0 -1 0\nv 0 0 1\nv 0 0 -1\n"
                                   "f 1 3 5\nf 2 5 3\nf 1 5 4\nf 2 4 5\n"
                                   "f 1 6 3\nf 2 3 6\nf 1 4 6\nf 2 6 4\n");
    writePng(dir.file("quarters.png"), {64, 64, quarter});
    ASSERT_EQ(runImport({"model", "gem.obj"}, dir.path()).status, 0);
    ASSERT_EQ(runImport({"texture", "quarters.png"}, dir.path()).status, 0);

    RobotRun run;
    run.start(dir.path());
    const Window window = run.waitForFullScreenWindow();
    ASSERT_NE(window, None) << run.describe();
    sleepMs(1000);
    ASSERT_TRUE(run.process().running()) << run.describe();
    const Screenshot screen = run.client().screenshot();

    long count[4] = {}, green = 0;
    for (int y = 0; y < screen.height; y++) {
        for (int x = 0; x < screen.width; x++) {
            const uint8_t *p = screen.at(x, y);
            const Rgb colour{p[0], p[1], p[2]};
            count[0] += colour == red ? 1 : 0;
            count[1] += colour == blue ? 1 : 0;
            count[2] += colour == yellow ? 1 : 0;
            count[3] += colour == grey ? 1 : 0;
            green += clearlyGreen(p) ? 1 : 0;
        }
    }
    const long share = static_cast<long>(screen.width) * screen.height / 100;
    EXPECT_GT(count[0], share) << "red";
    EXPECT_GT(count[1], share) << "blue";
    EXPECT_GT(count[2], share) << "yellow";
    EXPECT_GT(count[3], share) << "grey";
    EXPECT_GT(green, share / 2) << "the model";

    run.client().requestClose(window);
    run.expectEndedQuietly();
}
