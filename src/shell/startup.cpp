// The start-up routine: everything that happens once, after the window exists and before the
// event loop draws the first frame.
#include "shell/shell.h"

#include <GL/glut.h>

#include "assets/model.h"
#include "assets/texture.h"
#include "render/render.h"

void onInit() {
    loadModel();
    // Takes effect once the event loop runs; GLUT then reports the new size to onResize.
    glutFullScreen();
    setupRenderState();
    compileModelList();
    // Texturing is switched on only while the room is drawn.
    glDisable(GL_TEXTURE_2D);
    // Ends the process (status 0) when the wall image cannot be read.
    loadTextures();
}
