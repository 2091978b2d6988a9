// The model store, the fixed-capacity arrays that hold the robot's mesh, and the reader that
// fills them from the model file "head.obj".
#pragma once

#include <cstdint>
#include <cstdio>
#include <type_traits>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// Two model slots, 0 and 1; the program loads slot 1 only.
constexpr int modelSlotCount = 2;
constexpr int loadedSlot = 1;

// Entries per slot. Records are counted from 1, as the face lines number them, and entry 0 holds
// zeros: 9,999 vertices, texture vertices and normals, and 19,999 faces fit in a slot.
constexpr int vertexCapacity = 10000;
constexpr int faceCapacity = 20000;

// Line buffer of the reader, and the read limit handed to fgets: pieces of at most 126
// characters and a terminating zero.
constexpr int lineBufferSize = 128;
constexpr int lineReadLimit = 127;

// Face numbers are scanned with "%d" straight into the store.
static_assert(std::is_same_v<std::int32_t, int>, "face numbers are 32-bit ints");

// ---------------------------------------------------------------------------------------------
// The model store: slot, entry, element. Elements 1 to 3 of a vertex or normal hold x, y, z;
// elements 1 and 2 of a texture vertex hold u, v; corners 1 to 3 of a face hold, in elements
// 1 to 3, a vertex, a texture-vertex and a normal number, as written in the file. Element 0 of
// every record and corner 0 of every face are never written. Zero until the reader runs.
// ---------------------------------------------------------------------------------------------
extern float vertex[modelSlotCount][vertexCapacity][4];
extern float Nvector[modelSlotCount][vertexCapacity][4];
extern float Tvertex[modelSlotCount][vertexCapacity][3];
extern std::int32_t faces[modelSlotCount][faceCapacity][4][4];
// Number of faces stored in each slot, 0 to faceCapacity - 1.
extern int f_celkem[modelSlotCount];

// ---------------------------------------------------------------------------------------------
// The reader's working state, kept after reading for whoever wants to know how it went.
// ---------------------------------------------------------------------------------------------

// The piece of a line being read.
extern char radek[lineBufferSize];
// The model file while it is being read; null before and after.
extern FILE *in;
// Records of each kind seen in the file so far: vertices, texture vertices, normals, faces.
// They count records beyond the capacity too (those are not stored), and stop at INT_MAX.
extern int i1, i2, i3, i4;
// 1 once the end marker (a line beginning with "@") was read, 0 while reading and when the
// file ended without one.
extern int err;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Reads "head.obj" from the working directory into slot 1. A file that cannot be opened leaves
// an empty slot (no faces): the program then runs without a robot.
void loadModel();

// Reads the records of an open model file into `slot` (0 or 1), after emptying the slot: line
// by line until the end marker or the end of the file, whichever comes first. Records beyond a
// slot's capacity are counted but not stored. Does not close the file.
void readModel(int slot, FILE *file);

// Empties `slot`: all of its records zero, no faces; the counts and the end flag back to 0.
void clearModel(int slot);

// A counter advanced by one record, stopping at INT_MAX.
int countRecord(int count);

// The store entry that a vertex, texture-vertex or normal number of a face reads: the number
// itself from 0 to vertexCapacity - 1, and entry 0, which holds zeros, for any other number
// (negative, or beyond the arrays). A number 0, or one above the count of its kind, reads
// zeros as well.
int modelEntry(int number);

// Calls `corner` for each corner of each face of `slot`, in file order, with the normal, the
// texture vertex and the vertex that it reads (whole records: elements 1 to 3, 1 to 2, 1 to 3).
void walkModel(int slot,
               void (*corner)(const float *normal, const float *texture, const float *position));
