// Probes for the GL tests. The test program defines its own glutSwapBuffers,
// glutPostRedisplay, glutTimerFunc and glBegin, and the texture calls glBindTexture,
// glTexParameteri, glTexImage2D, glPixelStorei and glGenTextures; the program's code, linked
// statically into it, calls these, which count and record the calls and then hand them on to
// the real ones. The linker also routes the malloc, free and fopen calls of the statically
// linked code (the program's and the tests' own, not the shared libraries') through probes.
#pragma once

#include <GL/gl.h>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// A frame read back from the back buffer just before a swap: rows from the bottom, RGB.
struct Frame {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;

    const uint8_t *at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }

    // Pixels of the `w` x `h` rectangle at the lower left that are not exactly (r, g, b).
    long pixelsOtherThan(int w, int h, uint8_t r, uint8_t g, uint8_t b) const {
        long count = 0;
        for (int y = 0; y < h; y++) {
            for (int x = 0; x < w; x++) {
                const uint8_t *p = at(x, y);
                count += p[0] == r && p[1] == g && p[2] == b ? 0 : 1;
            }
        }
        return count;
    }
};

struct TimerRequest {
    unsigned milliseconds = 0;
    void (*callback)(int) = nullptr;
    int value = 0;
    int redisplaysBefore = 0; // redisplay requests counted when this request was made
};

// One recorded OpenGL call: the function's name and its integer arguments, in order (pointer
// arguments are left out).
struct GlCall {
    std::string function;
    std::vector<long long> arguments;

    bool operator==(const GlCall &other) const {
        return function == other.function && arguments == other.arguments;
    }
};
std::ostream &operator<<(std::ostream &out, const GlCall &call);

struct Probes {
    int swaps = 0;              // calls of glutSwapBuffers
    bool captureFrames = false; // read the back buffer at each swap into lastFrame
    Frame lastFrame;
    int redisplayRequests = 0;               // calls of glutPostRedisplay
    std::vector<TimerRequest> timerRequests; // calls of glutTimerFunc
    bool forwardTimers = false;              // hand timer requests on to GLUT
    bool markPrimitives = false; // put a pass-through marker 0, 1, 2... before each glBegin
    int primitivesBegun = 0;     // calls of glBegin while marking
    // Calls of glBindTexture, glTexParameteri, glTexImage2D, glPixelStorei, glGenTextures.
    std::vector<GlCall> textureCalls;
    // "path mode" of each call of fopen.
    std::vector<std::string> fileOpens;
};

extern Probes probes;

// Heap blocks taken with malloc and given back with free by the statically linked code, while
// `watching` is set. Plain data, so that it is usable before any constructor and after every
// destructor has run.
struct AllocationProbes {
    static constexpr int blockCapacity = 64; // blocks followed at once
    bool watching = false;                   // record the calls below
    bool failing = false;                    // malloc returns null while watching
    int allocations = 0;                     // calls of malloc while watching
    size_t largest = 0;                      // bytes, the largest request while watching
    int liveBlocks = 0;                      // blocks taken while watching and not yet freed
    void *blocks[blockCapacity] = {};        // those blocks; null where free
};

extern AllocationProbes allocationProbes;

// Forgets all counts and recordings, and stops capturing and marking.
void resetProbes();
