// Prepares the same-drawing floor's data (floor_gl.h) from the files that robot reads: the
// corners that robot's model list gets from the model store, and the wall image's pixels.
#pragma once

#include <string>

#include "floor_gl.h"

// Reads "head.obj" and "wall7.bmp" in `dir` with robot's own readers, and fills `data` with
// what robot's start-up hands to OpenGL. Leaves the model store holding the model. Throws
// std::runtime_error when the image cannot be read.
void makeFloorData(const std::string &dir, FloorData &data);

// Makes the floor's data from the files in `dir` and writes it there, as floor.mesh and
// floor.image. Throws std::runtime_error on failure.
void writeFloorData(const std::string &dir);
