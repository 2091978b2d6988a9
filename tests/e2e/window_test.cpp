// The real program's window: created at 500 x 500 at (30, 30) whatever the command line says,
// titled "ROBOT", switched to full screen, silent, and ended with status 0 by the window
// system's close request.
#include <gtest/gtest.h>

#include "robot_run.h"

namespace {

struct CommandLine {
    const char *name;
    std::vector<std::string> args;
};

class ProgramWindow : public testing::TestWithParam<CommandLine> {};

} // namespace

TEST_P(ProgramWindow, OpensFullScreenAndClosesQuietly) {
    RobotRun run;
    run.client().watchRootWindow();
    run.start(ROBOT_DATA_DIR, GetParam().args);

    WindowGeometry created;
    ASSERT_TRUE(run.client().waitForCreatedWindow(created, startTimeoutMs)) << run.describe();
    EXPECT_EQ(created.x, 30);
    EXPECT_EQ(created.y, 30);
    EXPECT_EQ(created.width, 500);
    EXPECT_EQ(created.height, 500);

    const Window window = run.waitForFullScreenWindow();
    ASSERT_NE(window, None) << "no full-screen window titled ROBOT; " << run.describe();
    const WindowGeometry full = run.client().geometry(window);
    EXPECT_EQ(full.width, 1280);
    EXPECT_EQ(full.height, 1024);
    ASSERT_TRUE(run.process().running());

    // Let it draw for a while before closing it.
    sleepMs(500);
    run.client().requestClose(window);
    run.expectEndedQuietly();
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ProgramWindow,
    testing::Values(CommandLine{"NoOptions", {}},
                    CommandLine{"GeometryOption", {"-geometry", "300x200+100+50"}},
                    CommandLine{"GeometryAndPositionOption", {"-geometry", "+400+300"}}),
    [](const auto &info) { return std::string(info.param.name); });
