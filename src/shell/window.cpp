// The window's size, and the two handlers that keep the picture going: reshape and timer.
#include "shell/shell.h"

#include <GL/glut.h>

int windowWidth = 0;
int windowHeight = 0;

void onResize(int width, int height) {
    glViewport(0, 0, width, height);
    windowWidth = width;
    windowHeight = height;
}

void onTimer(int value) {
    glutPostRedisplay();
    // Counted from now, not from the missed due time: a late call is not made up.
    glutTimerFunc(timerPeriod, onTimer, value);
}
