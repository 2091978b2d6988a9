// robot: the head of a robot, turning inside a box-shaped room with textured walls.
//
// Reads "head.obj" (the head's triangle mesh) and "wall7.bmp" (the wall image) from the
// working directory, opens a full-screen window titled "ROBOT" and redraws it about twenty
// times a second.
//
// Keys (upper case acts like lower case):
//   q / e / w    turn the head about its vertical axis: one way, the other way, stop
//   a / d / s    turn it about its sideways axis: one way, the other way, stop
//   x / v / c    turn it about its front-to-back axis: one way, the other way, stop
//   Left, Right  move the head sideways by one unit
//   Up, Down     move the head away from or towards the viewer by one unit
//   Esc          quit
#include <GL/glut.h>

#include "render/render.h"
#include "shell/shell.h"

int main(int argc, char **argv) {
    // GLUT takes its own options (-display, -geometry, ...); the position and size set after
    // it win over a geometry option.
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(windowStartX, windowStartY);
    glutInitWindowSize(windowStartWidth, windowStartHeight);
    glutCreateWindow(windowTitle);

    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onResize);
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onKeySpecial);
    // The delay first, then the handler and its value: the check would pair "timerValue" with
    // glutTimerFunc's parameter "time" for their common start.
    // NOLINTNEXTLINE(readability-suspicious-call-argument)
    glutTimerFunc(firstTimerDelay, onTimer, timerValue);

    onInit();
    // Never returns: the process ends on Esc, on a failed image load, or when the window is
    // closed, always with exit status 0.
    glutMainLoop();
    return 0;
}
