// Probes for the GL tests. The test program defines its own glutSwapBuffers,
// glutPostRedisplay, glutTimerFunc and glBegin; the program's code, linked statically into
// it, calls these, which count and record the calls and then hand them on to the real ones.
#pragma once

#include <GL/gl.h>
#include <cstddef>
#include <cstdint>
#include <vector>

// A frame read back from the back buffer just before a swap: rows from the bottom, RGB.
struct Frame {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;

    const uint8_t *at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

struct TimerRequest {
    unsigned milliseconds = 0;
    void (*callback)(int) = nullptr;
    int value = 0;
    int redisplaysBefore = 0; // redisplay requests counted when this request was made
};

struct Probes {
    int swaps = 0;              // calls of glutSwapBuffers
    bool captureFrames = false; // read the back buffer at each swap into lastFrame
    Frame lastFrame;
    int redisplayRequests = 0;               // calls of glutPostRedisplay
    std::vector<TimerRequest> timerRequests; // calls of glutTimerFunc
    bool forwardTimers = false;              // hand timer requests on to GLUT
    bool markPrimitives = false; // put a pass-through marker 0, 1, 2... before each glBegin
    int primitivesBegun = 0;     // calls of glBegin while marking
};

extern Probes probes;

// Forgets all counts and recordings, and stops capturing and marking.
void resetProbes();
