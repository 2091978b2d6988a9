// Drawing of one frame: projection, camera, the textured room, and the turning robot.
#include "render/render.h"

#include "shell/shell.h" // windowWidth, windowHeight

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// Perspective: vertical field of view in degrees, near and far planes in scene units. The near
// plane is the float 0.1, handed to GLU widened to double.
constexpr double fieldOfView = 70.0;
constexpr float nearPlane = 0.1f;
constexpr double farPlane = 300.0;

const float znew = 20.0f;

// The room: floor, left wall, right wall, back wall, ceiling, in the order drawn. Each corner
// is a texture coordinate (s, t), 0 to 4 so that the image repeats four times along each edge,
// then a position (x, y, z) in the room's own scene units. The room is 80 wide, 55 high and
// 120 deep; it has no front wall, and the ceiling covers only its far two thirds.
constexpr int roomQuadCount = 5;
constexpr int roomFloor = 0;
const GLfloat roomCorners[roomQuadCount][4][5] = {
    {{0, 0, -40, -5, 20}, {4, 0, 40, -5, 20}, {4, 4, 40, -5, -100}, {0, 4, -40, -5, -100}},
    {{0, 4, -40, 50, 20}, {4, 4, -40, -5, 20}, {4, 0, -40, -5, -100}, {0, 0, -40, 50, -100}},
    {{0, 4, 40, 50, 20}, {4, 4, 40, -5, 20}, {4, 0, 40, -5, -100}, {0, 0, 40, 50, -100}},
    {{0, 4, 40, 50, -100}, {4, 4, 40, -5, -100}, {4, 0, -40, -5, -100}, {0, 0, -40, 50, -100}},
    {{0, 4, 40, 50, -20}, {4, 4, 40, 50, -100}, {4, 0, -40, 50, -100}, {0, 0, -40, 50, -20}},
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void setPerspectiveProjection() {
    // A window of zero height (some window systems report one for a minimised window) has no
    // aspect ratio; it counts as one pixel high, so the projection stays finite.
    const int height = windowHeight > 0 ? windowHeight : 1;
    const double aspect = static_cast<double>(windowWidth) / static_cast<double>(height);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, aspect, nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

static void drawQuad(int quad) {
    glBegin(GL_QUADS);
    for (const GLfloat *corner : roomCorners[quad]) {
        glTexCoord2f(corner[0], corner[1]);
        glVertex3f(corner[2], corner[3], corner[4]);
    }
    glEnd();
}

void drawGround() {
    // The room's offset stays in the modelview matrix: the robot is placed from it.
    glTranslatef(0.0f, -3.0f, 50.0f);
    // Shows only where the bound texture holds no image.
    glColor3f(1.0f, 0.0f, 0.0f);

    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, textures[1]);
    glDisable(GL_LIGHTING);
    drawQuad(roomFloor);

    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, textures[2]);
    for (int quad = roomFloor + 1; quad < roomQuadCount; quad++) {
        drawQuad(quad);
    }

    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
}

// One frame's step of a spin angle. The sum is formed in 64 bits and reduced by a whole
// number of turns, so it never overflows and the orientation it gives does not jump.
static int advanceSpin(int angle, int direction) {
    const long long next =
        static_cast<long long>(angle) + static_cast<long long>(spinStep) * direction;
    return static_cast<int>(next % spinAngleLimit);
}

void drawObject1() {
    glEnable(GL_LIGHTING);
    glPushMatrix();
    // From the room's offset to the robot's centre; the model's units are a twentieth of the
    // room's.
    glTranslatef(0.0f, 18.6f, -60.0f);
    glScalef(0.05f, 0.05f, 0.05f);

    sx = advanceSpin(sx, ssx);
    sy = advanceSpin(sy, ssy);
    sz = advanceSpin(sz, ssz);
    // Multiplied in this order, each vertex turns about Z first, then X, then Y.
    glRotatef(static_cast<float>(sx), 0.0f, 1.0f, 0.0f);
    glRotatef(static_cast<float>(sy), 1.0f, 0.0f, 0.0f);
    glRotatef(static_cast<float>(sz), 0.0f, 0.0f, 1.0f);

    glCallList(modelList);
    glPopMatrix();
}

void onDisplay() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setPerspectiveProjection();

    // Camera.
    glTranslatef(0.0f, -3.0f, -70.0f);
    glTranslatef(0.0f, 0.0f, znew);

    drawGround();

    // The robot's place, measured from the room's offset that drawGround left.
    glTranslatef(0.0f, -7.7f, 10.0f);
    glTranslatef(posx, 0.0f, posz);
    drawObject1();

    glFlush();
    glutSwapBuffers();
}
