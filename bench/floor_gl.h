// The same-drawing floor: the OpenGL calls of robot's start-up and of one of its frames, issued
// as plain calls with nothing around them (no model file to parse, no image file to read four
// times, no tables or loops, no motion state). What robot costs above this is the cost of its
// own code; what this costs above the bare clear-and-swap program is the cost of what the scene
// must draw. A test checks that both issue exactly the same calls with the same arguments.
#pragma once

#include <string>
#include <vector>

// What the start-up calls need, prepared beforehand from the same files that robot reads (see
// floor_data.h): the model list's corners, and the wall image's pixels.
struct FloorData {
    // Faces in the model list, and for each of their corners, in order, 8 floats: the normal
    // (x, y, z), the texture coordinate (s, t) and the position (x, y, z).
    int faceCount = 0;
    std::vector<float> corners;
    // The wall image: its sides in pixels, and width * height * 3 bytes as robot uploads them.
    int imageWidth = 0, imageHeight = 0;
    std::vector<unsigned char> pixels;
};

// Files in which the floor finds its data, in its working directory.
constexpr const char *floorMeshFile = "floor.mesh";
constexpr const char *floorImageFile = "floor.image";

// Reads the floor's data from `dir`; false when the files are missing or damaged.
bool readFloorData(const std::string &dir, FloorData &data);

// robot's start-up calls after the model file was read: the full-screen request, then
// floorSetup. Needs a current OpenGL context.
void floorStartup(const FloorData &data);
// The render state, the model list (display list 8), 2D texturing off, and the four textures.
void floorSetup(const FloorData &data);

// One frame of robot, with the head at its starting place and angles, in a window of the given
// size: clear, projection, camera, room, head, flush and swap.
void floorFrame(int width, int height);
