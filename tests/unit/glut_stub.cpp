// glutPostRedisplay for tests without a window.
#include "glut_stub.h"

#include <GL/glut.h>
#include <unistd.h>

int redisplayRequests = 0;
bool exitOnRedisplay = false;

void glutPostRedisplay() {
    if (exitOnRedisplay) {
        _exit(3);
    }
    redisplayRequests++;
}
