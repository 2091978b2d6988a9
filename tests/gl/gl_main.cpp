// Entry point of the GL tests: one real GLUT window with a double-buffered RGB visual and a
// depth buffer, like the program's own, on a private virtual X server. A server of its own
// keeps each test process's window from being covered by another's: freeglut does not redraw
// a window that is fully covered.
#include <GL/freeglut.h>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>

#include "xserver.h"

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (as CTest does to find them) needs no window.
    if (testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
    const XServer server;
    setenv("DISPLAY", server.display().c_str(), 1);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(500, 500);
    glutCreateWindow("robot GL tests");
    // The window must be on the screen before the tests draw into it: freeglut draws it for
    // the first time once it is.
    static bool drawn = false;
    glutDisplayFunc([] { drawn = true; });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!drawn && std::chrono::steady_clock::now() < deadline) {
        glutMainLoopEvent();
    }
    glutDisplayFunc([] {});
    const int result = RUN_ALL_TESTS();
    // Close the connection before the server goes away.
    glutExit();
    return result;
}
