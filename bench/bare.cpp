// robot_bare: the floor that no viewer on this stack can beat. It opens the same window as
// robot (same display mode, "ROBOT", 500 x 500 at (30, 30), then full screen), redraws it on
// the same timer (first after 10 ms, then every 50 ms), and each frame only clears and swaps.
#include <GL/glut.h>

namespace {

// The window and the timer, as robot has them.
constexpr int windowX = 30, windowY = 30;
constexpr int windowSize = 500;
constexpr unsigned firstTimerDelay = 10, timerPeriod = 50; // ms
constexpr int timerValue = 0x1234;

void onDisplay() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

void onTimer(int value) {
    glutPostRedisplay();
    glutTimerFunc(timerPeriod, onTimer, value);
}

} // namespace

int main(int argc, char **argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(windowX, windowY);
    glutInitWindowSize(windowSize, windowSize);
    glutCreateWindow("ROBOT");
    glutDisplayFunc(onDisplay);
    // The delay first, then the handler and its value: the check would pair "timerValue" with
    // glutTimerFunc's parameter "time" for their common start.
    // NOLINTNEXTLINE(readability-suspicious-call-argument)
    glutTimerFunc(firstTimerDelay, onTimer, timerValue);
    glutFullScreen();
    glutMainLoop();
    return 0;
}
