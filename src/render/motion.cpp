// The motion state and the texture table, shared by the keyboard handlers, the texture loader
// and the frame drawing.
#include "render/render.h"

// Robot's offset over the floor, scene units: centred, 20 units towards the viewer.
float posx = 0.0f;
float posz = 20.0f;

// Spin directions (-1, 0, +1): not turning.
int ssx = 0;
int ssy = 0;
int ssz = 0;

// Spin angles, degrees.
int sx = 0;
int sy = 0;
int sz = 0;

// Texture names, filled by the texture loader; 0 means "no texture yet".
GLuint textures[textureCount] = {};
