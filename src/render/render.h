// Rendering: the fixed render state, the model display list, the drawing of each frame,
// and the motion state and texture table that the rest of the program shares with them.
#pragma once

#include <GL/glut.h>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// The one display list of the program: the robot's mesh, compiled once at start-up.
constexpr GLuint modelList = 8;

// Number of texture names created at start-up; the floor uses entry 1, walls and ceiling entry 2.
constexpr int textureCount = 4;

// Degrees that a turning axis advances with every drawn frame.
constexpr int spinStep = 5;

// The spin angles stay strictly between -spinAngleLimit and +spinAngleLimit degrees. The limit
// is a whole number of turns (100), so taking it off an angle leaves the orientation exactly as
// it was; it keeps the angles far from 32-bit overflow and small enough that their conversion
// to float for the rotation stays exact and precise however long the program runs.
constexpr int spinAngleLimit = 360 * 100;

// ---------------------------------------------------------------------------------------------
// Motion state: written by the keyboard handlers (offsets, directions) and by drawObject1
// (angles), read when a frame is drawn.
// ---------------------------------------------------------------------------------------------

// Robot's offset over the floor, scene units; starts at (0, 20).
extern float posx, posz;
// Spin directions, each -1, 0 or +1; start at 0. ssx turns about the vertical axis (Y),
// ssy about the sideways axis (X), ssz about the front-to-back axis (Z).
extern int ssx, ssy, ssz;
// Spin angles in whole degrees, driven by ssx, ssy, ssz; start at 0.
extern int sx, sy, sz;

// ---------------------------------------------------------------------------------------------
// Texture table: OpenGL texture names; all 0 until the textures are loaded, and a surface
// whose name is 0 (or holds no image) is drawn flat red.
// ---------------------------------------------------------------------------------------------
extern GLuint textures[textureCount];

// ---------------------------------------------------------------------------------------------
// Light 0 and the robot's material (RGBA, or a homogeneous position); constants.
// ---------------------------------------------------------------------------------------------
extern const GLfloat lightAmbient[4];
extern const GLfloat lightDiffuse[4];
extern const GLfloat lightPosition[4];
extern const GLfloat materialAmbient[4];
extern const GLfloat materialDiffuse[4];
extern const GLfloat materialSpecular[4];
extern const GLfloat materialShininess;

// Camera distance term along z, scene units.
extern const float znew;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Sets the OpenGL state that holds for the whole run: clear values, depth test, light, material.
void setupRenderState();

// Compiles the mesh of the model store's slot 1 into the model list: the enabling of
// GL_NORMALIZE, then one GL_TRIANGLES primitive with a normal, a texture coordinate and a vertex
// for each corner of each face, in file order. Needs a current OpenGL context.
void compileModelList();

// Display handler: draws one whole frame and swaps the buffers.
void onDisplay();
// Loads the perspective projection for the stored window size; leaves the modelview matrix
// selected and reset.
void setPerspectiveProjection();
// Draws the floor, walls and ceiling, and leaves the room's offset in the modelview matrix.
void drawGround();
// Advances the spin angles by one step and draws the robot through the model list.
void drawObject1();
