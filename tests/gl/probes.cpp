// The probes: definitions that take precedence over the shared libraries' at link time, and
// forward to them through dlsym(RTLD_NEXT).
#include "probes.h"

#include <GL/freeglut.h>
#include <dlfcn.h>
#include <stdexcept>

Probes probes;

void resetProbes() {
    probes = Probes{};
}

namespace {

template <typename Function> Function realFunction(const char *name) {
    void *symbol = dlsym(RTLD_NEXT, name);
    if (symbol == nullptr) {
        throw std::runtime_error(std::string("no real ") + name);
    }
    return reinterpret_cast<Function>(symbol);
}

void readBackBuffer(Frame &frame) {
    frame.width = glutGet(GLUT_WINDOW_WIDTH);
    frame.height = glutGet(GLUT_WINDOW_HEIGHT);
    frame.rgb.assign(static_cast<size_t>(frame.width) * frame.height * 3, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGB, GL_UNSIGNED_BYTE, frame.rgb.data());
}

} // namespace

void glutSwapBuffers() {
    static const auto real = realFunction<void (*)()>("glutSwapBuffers");
    probes.swaps++;
    if (probes.captureFrames) {
        readBackBuffer(probes.lastFrame);
    }
    real();
}

void glutPostRedisplay() {
    static const auto real = realFunction<void (*)()>("glutPostRedisplay");
    probes.redisplayRequests++;
    real();
}

void glutTimerFunc(unsigned int milliseconds, void (*callback)(int), int value) {
    static const auto real =
        realFunction<void (*)(unsigned int, void (*)(int), int)>("glutTimerFunc");
    probes.timerRequests.push_back({milliseconds, callback, value, probes.redisplayRequests});
    if (probes.forwardTimers) {
        real(milliseconds, callback, value);
    }
}

void glBegin(GLenum mode) {
    static const auto real = realFunction<void (*)(GLenum)>("glBegin");
    if (probes.markPrimitives) {
        glPassThrough(static_cast<GLfloat>(probes.primitivesBegun++));
    }
    real(mode);
}
