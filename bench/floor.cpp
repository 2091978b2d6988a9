// robot_floor: the same-drawing floor as a program. It opens the same window as robot, wires
// the same reshape handler and timer, makes robot's start-up calls from data prepared in its
// working directory (floor.mesh, floor.image: see floor_data.h) and draws each frame with
// exactly robot's calls. Ends with status 1 when its data cannot be read.
#include <GL/glut.h>

#include "floor_gl.h"

namespace {

// The window and the timer, as robot has them.
constexpr int windowX = 30, windowY = 30;
constexpr int windowSize = 500;
constexpr unsigned firstTimerDelay = 10, timerPeriod = 50; // ms
constexpr int timerValue = 0x1234;

// The window's size at the last reshape, pixels.
int width = 0, height = 0;

void onDisplay() {
    floorFrame(width, height);
}

void onResize(int w, int h) {
    glViewport(0, 0, w, h);
    width = w;
    height = h;
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
    glutReshapeFunc(onResize);
    // The delay first, then the handler and its value: the check would pair "timerValue" with
    // glutTimerFunc's parameter "time" for their common start.
    // NOLINTNEXTLINE(readability-suspicious-call-argument)
    glutTimerFunc(firstTimerDelay, onTimer, timerValue);
    {
        // Released once uploaded, as robot releases its pixel buffers.
        FloorData data;
        if (!readFloorData(".", data)) {
            return 1;
        }
        floorStartup(data);
    }
    glutMainLoop();
    return 0;
}
