// The full-capacity model for the benchmarks: a model file that fills a slot of the model store
// to the last entry, so that reading, compiling and drawing it shows the most that the program
// can be asked to do.
#pragma once

#include <string>

// Records in the full-capacity model: as many as a slot holds.
constexpr int fullModelVertices = 9999; // geometric vertices, texture vertices and normals each
constexpr int fullModelFaces = 19999;

// The text of the full-capacity model: a torus about the z axis (facing the viewer), 70 model
// units from its centre to the middle of its tube and 30 units thick, about the head's size,
// in 99 rings of 101 corners; each corner has its own texture vertex and normal. Its 19,998
// triangles close the surface; one more repeats the first, so that every face entry is used.
std::string fullCapacityModel();
