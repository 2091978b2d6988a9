// The probes: definitions that take precedence over the shared libraries' at link time, and
// forward to them through dlsym(RTLD_NEXT).
#include "probes.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <dlfcn.h>
#include <stdexcept>

Probes probes;
AllocationProbes allocationProbes;

void resetProbes() {
    probes = Probes{};
    allocationProbes = AllocationProbes{};
}

std::ostream &operator<<(std::ostream &out, const GlCall &call) {
    out << call.function << "(";
    for (size_t i = 0; i < call.arguments.size(); i++) {
        out << (i > 0 ? ", " : "") << call.arguments[i];
    }
    return out << ")";
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

// `time` in milliseconds, named as freeglut's declaration names it.
void glutTimerFunc(unsigned int time, void (*callback)(int), int value) {
    static const auto real =
        realFunction<void (*)(unsigned int, void (*)(int), int)>("glutTimerFunc");
    probes.timerRequests.push_back({time, callback, value, probes.redisplayRequests});
    if (probes.forwardTimers) {
        real(time, callback, value);
    }
}

void glBegin(GLenum mode) {
    static const auto real = realFunction<void (*)(GLenum)>("glBegin");
    if (probes.markPrimitives) {
        glPassThrough(static_cast<GLfloat>(probes.primitivesBegun++));
    }
    real(mode);
}

void glBindTexture(GLenum target, GLuint texture) {
    static const auto real = realFunction<void (*)(GLenum, GLuint)>("glBindTexture");
    probes.textureCalls.push_back({"glBindTexture", {target, texture}});
    real(target, texture);
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
    static const auto real = realFunction<void (*)(GLenum, GLenum, GLint)>("glTexParameteri");
    probes.textureCalls.push_back({"glTexParameteri", {target, name, value}});
    real(target, name, value);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const void *pixels) {
    static const auto real = realFunction<void (*)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint,
                                                   GLenum, GLenum, const void *)>("glTexImage2D");
    probes.textureCalls.push_back(
        {"glTexImage2D", {target, level, internalFormat, width, height, border, format, type}});
    real(target, level, internalFormat, width, height, border, format, type, pixels);
}

void glPixelStorei(GLenum name, GLint value) {
    static const auto real = realFunction<void (*)(GLenum, GLint)>("glPixelStorei");
    probes.textureCalls.push_back({"glPixelStorei", {name, value}});
    real(name, value);
}

void glGenTextures(GLsizei count, GLuint *names) {
    static const auto real = realFunction<void (*)(GLsizei, GLuint *)>("glGenTextures");
    probes.textureCalls.push_back({"glGenTextures", {count}});
    real(count, names);
}

// The linker's --wrap options send the statically linked code's calls of malloc, free and
// fopen here, and these hand them on to the real functions (__real_...). The names are the
// linker's, reserved as they are.
// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" {

void *__real_malloc(size_t size);
void __real_free(void *block);
FILE *__real_fopen(const char *path, const char *mode);

void *__wrap_malloc(size_t size) {
    AllocationProbes &a = allocationProbes;
    if (!a.watching) {
        return __real_malloc(size);
    }
    a.allocations++;
    a.largest = size > a.largest ? size : a.largest;
    void *block = a.failing ? nullptr : __real_malloc(size);
    if (block != nullptr) {
        for (void *&slot : a.blocks) {
            if (slot == nullptr) {
                slot = block;
                a.liveBlocks++;
                break;
            }
        }
    }
    return block;
}

void __wrap_free(void *block) {
    AllocationProbes &a = allocationProbes;
    if (a.watching && block != nullptr) {
        for (void *&slot : a.blocks) {
            if (slot == block) {
                slot = nullptr;
                a.liveBlocks--;
                break;
            }
        }
    }
    __real_free(block);
}

FILE *__wrap_fopen(const char *path, const char *mode) {
    probes.fileOpens.push_back(std::string(path != nullptr ? path : "(null)") + " " +
                               (mode != nullptr ? mode : "(null)"));
    return __real_fopen(path, mode);
}
}
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
