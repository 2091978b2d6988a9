// Keyboard controls: three letters per axis start, reverse and stop the head's spin, the arrow
// keys move it over the floor, and Esc ends the program. Every other key only asks for a redraw.
#include "shell/shell.h"

#include <GL/glut.h>
#include <cstdlib> // exit

#include "render/render.h"

// Character code of the Esc key.
constexpr unsigned char keyEscape = 27;

// Scene units the head moves per arrow key press.
constexpr float moveStep = 1.0f;

void onKeyboard(unsigned char key, int /*x*/, int /*y*/) {
    // Upper case acts like lower case; no other code is changed.
    if (key >= 'A' && key <= 'Z') {
        key = static_cast<unsigned char>(key + ('a' - 'A'));
    }
    switch (key) {
    case keyEscape: exit(0);
    // About the vertical axis.
    case 'q': ssx = 1; break;
    case 'e': ssx = -1; break;
    case 'w': ssx = 0; break;
    // About the sideways axis.
    case 'a': ssy = 1; break;
    case 'd': ssy = -1; break;
    case 's': ssy = 0; break;
    // About the front-to-back axis.
    case 'x': ssz = 1; break;
    case 'v': ssz = -1; break;
    case 'c': ssz = 0; break;
    default: break;
    }
    glutPostRedisplay();
}

void onKeySpecial(int key, int /*x*/, int /*y*/) {
    switch (key) {
    case GLUT_KEY_LEFT: posx -= moveStep; break;
    case GLUT_KEY_RIGHT: posx += moveStep; break;
    // Up moves the head away from the viewer, towards the back wall.
    case GLUT_KEY_UP: posz -= moveStep; break;
    case GLUT_KEY_DOWN: posz += moveStep; break;
    default: break;
    }
    glutPostRedisplay();
}
