// robot's window and redraw timer, for the benchmark programs that stand beside it: the same
// display mode, title, position and size, and the same timer, taken from robot's own constants.
#pragma once

#include <GL/glut.h>

#include "shell/shell.h" // windowTitle, windowStart*, firstTimerDelay, timerPeriod, timerValue

// Requests a redraw and re-arms itself every timerPeriod ms, as robot's timer does.
inline void onBenchTimer(int value) {
    glutPostRedisplay();
    glutTimerFunc(timerPeriod, onBenchTimer, value);
}

// Opens robot's window with `display` as its display handler and `reshape`, unless null, as
// its reshape handler, and starts the timer; in robot's order of calls.
inline void openRobotWindow(int *argc, char **argv, void (*display)(), void (*reshape)(int, int)) {
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(windowStartX, windowStartY);
    glutInitWindowSize(windowStartWidth, windowStartHeight);
    glutCreateWindow(windowTitle);
    glutDisplayFunc(display);
    if (reshape != nullptr) {
        glutReshapeFunc(reshape);
    }
    // The delay first, then the handler and its value: the check would pair "timerValue" with
    // glutTimerFunc's parameter "time" for their common start.
    // NOLINTNEXTLINE(readability-suspicious-call-argument)
    glutTimerFunc(firstTimerDelay, onBenchTimer, timerValue);
}
