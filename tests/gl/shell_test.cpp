// The timer and reshape handlers as GLUT drives them: freeglut's event loop is run one pass at
// a time, and the probes count the requests and frames that result.
#include <chrono>
#include <thread>

#include "gl_fixture.h"

namespace {

// Runs passes of freeglut's event loop for about `ms` milliseconds.
void runEventLoop(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace

// The timer handler first requests a redraw, then re-arms itself for 50 ms with the value it
// was given.
TEST_F(GlTest, TimerRequestsARedrawAndRearmsWithTheSameValue) {
    for (const int value : {timerValue, 0, -7}) {
        resetProbes();
        onTimer(value);
        EXPECT_EQ(probes.redisplayRequests, 1);
        ASSERT_EQ(probes.timerRequests.size(), 1u);
        const TimerRequest &request = probes.timerRequests[0];
        EXPECT_EQ(request.milliseconds, 50u);
        EXPECT_EQ(request.callback, &onTimer);
        EXPECT_EQ(request.value, value);
        EXPECT_EQ(request.redisplaysBefore, 1) << "the redraw is requested first";
    }
}

// The value that the timer is armed with, known when the program is built.
static_assert(timerValue == 4660);

// Run by the real event loop, each timer call arms exactly one next call, always with 4660,
// and each one gives exactly one frame, which turns a spinning head by one step.
TEST_F(GlTest, TimerDrivesOneFramePerCall) {
    compileStandInModel([] {});
    onResize(500, 500);
    glutDisplayFunc(onDisplay);
    // Whatever redraw was pending before the timer starts is drawn and forgotten.
    runEventLoop(50);
    resetProbes();
    ssx = 1;
    sx = 0;
    probes.forwardTimers = true;
    // The delay first, then the handler and its value: the check would pair "timerValue" with
    // glutTimerFunc's parameter "time" for their common start.
    // NOLINTNEXTLINE(readability-suspicious-call-argument)
    glutTimerFunc(firstTimerDelay, onTimer, timerValue);
    runEventLoop(600);
    // Let the chain end: the next re-arm is recorded but not handed to GLUT.
    probes.forwardTimers = false;
    runEventLoop(150);

    const std::vector<TimerRequest> &requests = probes.timerRequests;
    ASSERT_GE(requests.size(), 4u) << "the timer keeps running";
    const int calls = static_cast<int>(requests.size()) - 1;
    for (size_t i = 1; i < requests.size(); i++) {
        EXPECT_EQ(requests[i].milliseconds, 50u);
        EXPECT_EQ(requests[i].callback, &onTimer);
        EXPECT_EQ(requests[i].value, 4660);
    }
    EXPECT_EQ(probes.redisplayRequests, calls);
    EXPECT_EQ(probes.swaps, calls);
    EXPECT_EQ(sx, 5 * calls);
}

// Redraw requests that arrive while one is pending give one frame, and the spin advances once.
TEST_F(GlTest, PendingRedrawRequestsMergeIntoOneFrame) {
    compileStandInModel([] {});
    onResize(500, 500);
    glutDisplayFunc(onDisplay);
    runEventLoop(50);
    resetProbes();
    ssx = 1;
    sx = 0;
    for (int request = 0; request < 3; request++) {
        glutPostRedisplay();
    }
    glutMainLoopEvent();
    glutMainLoopEvent();
    EXPECT_EQ(probes.swaps, 1);
    EXPECT_EQ(sx, 5);
}
