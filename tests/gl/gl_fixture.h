// The fixture of the GL tests: the program's shared state back at its starting values, OpenGL
// set up as the start-up routine leaves it, and the probes reset, before every test.
#pragma once

#include <GL/freeglut.h>
#include <functional>
#include <gtest/gtest.h>

#include "probes.h"
#include "render/render.h"
#include "shell/shell.h"

class GlTest : public testing::Test {
  protected:
    void SetUp() override {
        resetProbes();
        posx = 0.0f;
        posz = 20.0f;
        ssx = ssy = ssz = 0;
        sx = sy = sz = 0;
        for (GLuint &name : textures) {
            name = 0;
        }
        windowWidth = windowHeight = 0;
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        setupRenderState();
        glDisable(GL_TEXTURE_2D);
        glDeleteLists(modelList, 1);
    }

    void TearDown() override {
        glutDisplayFunc([] {});
        resetProbes();
    }
};

// Compiles `body` as the model list, in place of a real model.
inline void compileStandInModel(const std::function<void()> &body) {
    glNewList(modelList, GL_COMPILE);
    body();
    glEndList();
}

// Draws one frame with an empty stand-in model and the viewport at `width` x `height` pixels,
// and returns the window's back buffer as read before the swap.
inline const Frame &drawRoomFrame(int width, int height) {
    compileStandInModel([] {});
    onResize(width, height);
    probes.captureFrames = true;
    onDisplay();
    return probes.lastFrame;
}
