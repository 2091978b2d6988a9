// robot_bare: the floor that no viewer on this stack can beat. It opens the same window as
// robot (same display mode, "ROBOT", 500 x 500 at (30, 30), then full screen), redraws it on
// the same timer (first after 10 ms, then every 50 ms), and each frame only clears and swaps.
#include <GL/glut.h>

#include "bench_window.h"

namespace {

void drawBareFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

} // namespace

int main(int argc, char **argv) {
    openRobotWindow(&argc, argv, drawBareFrame, nullptr);
    glutFullScreen();
    glutMainLoop();
    return 0;
}
