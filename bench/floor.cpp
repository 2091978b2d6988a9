// robot_floor: the same-drawing floor as a program. It opens the same window as robot, wires
// the same reshape handler and timer, makes robot's start-up calls from data prepared in its
// working directory (floor.mesh, floor.image: see floor_data.h) and draws each frame with
// exactly robot's calls. Ends with status 1 when its data cannot be read.
#include <GL/glut.h>

#include "bench_window.h"
#include "floor_gl.h"

namespace {

// The window's size at the last reshape, pixels.
int width = 0, height = 0;

void drawFloorFrame() {
    floorFrame(width, height);
}

void resizeFloor(int w, int h) {
    glViewport(0, 0, w, h);
    width = w;
    height = h;
}

} // namespace

int main(int argc, char **argv) {
    openRobotWindow(&argc, argv, drawFloorFrame, resizeFloor);
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
