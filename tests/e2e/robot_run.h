// The real robot program on a private virtual X server, as a user would start it: in a
// working directory that holds its asset files.
#pragma once

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "process.h"
#include "xclient.h"
#include "xserver.h"

// Timeouts for the program to come up and to go, milliseconds.
constexpr int startTimeoutMs = 15000;
constexpr int exitTimeoutMs = 10000;

// Copies every file of data/ into `dir`, as the working directory of a user's run.
inline void copyData(const TempDir &dir) {
    for (const auto &entry : std::filesystem::directory_iterator(ROBOT_DATA_DIR)) {
        if (entry.is_regular_file()) {
            copyFile(entry.path().string(), dir.file(entry.path().filename().string()));
        }
    }
}

class RobotRun {
  public:
    // Starts Xvfb (1280 x 1024) and connects to it; the program itself starts with start().
    RobotRun() : client_(server_.display()) {}

    // Starts build/robot in `workDir` with `args`.
    void start(const std::string &workDir, const std::vector<std::string> &args = {}) {
        process_ = std::make_unique<ChildProcess>(ROBOT_BINARY, args, workDir, server_.display());
    }

    // Waits for the window titled "ROBOT" to cover the screen; returns it, or None.
    Window waitForFullScreenWindow() {
        const Window window = client_.findWindow("ROBOT", startTimeoutMs);
        if (window == None || !client_.waitForFullScreen(window, startTimeoutMs)) {
            return None;
        }
        return window;
    }

    // What became of the program, for failure messages.
    std::string describe() {
        if (process_->running()) {
            return "robot is running";
        }
        return "robot has ended: " +
               (process_->exitedNormally() ? "status " + std::to_string(process_->exitStatus())
                                           : "signal " + std::to_string(process_->killedBy())) +
               ", stderr: " + process_->standardError();
    }

    // Waits for the program to end, and checks that it ended as it always must: by itself, with
    // exit status 0, having printed nothing.
    void expectEndedQuietly() {
        ASSERT_TRUE(process_->waitForExit(exitTimeoutMs)) << "robot is still running";
        EXPECT_TRUE(process_->exitedNormally()) << describe();
        EXPECT_EQ(process_->exitStatus(), 0);
        EXPECT_EQ(process_->standardOutput(), "");
        EXPECT_EQ(process_->standardError(), "");
    }

    XClient &client() { return client_; }
    ChildProcess &process() { return *process_; }

  private:
    XServer server_;
    XClient client_;
    std::unique_ptr<ChildProcess> process_;
};
