// The model list: the mesh in slot 1 of the model store, compiled once into display list 8.
#include "render/render.h"

#include "assets/model.h"

// One corner: its normal, texture coordinate and position, in that order.
static void sendCorner(const float *normal, const float *texture, const float *position) {
    glNormal3f(normal[1], normal[2], normal[3]);
    glTexCoord2f(texture[1], texture[2]);
    glVertex3f(position[1], position[2], position[3]);
}

void compileModelList() {
    for (int slot = loadedSlot; slot <= loadedSlot; slot++) {
        // Compiled only: nothing is drawn now.
        glNewList(modelList, GL_COMPILE);
        // Normals are handed over as stored; OpenGL brings them to unit length when drawing.
        glEnable(GL_NORMALIZE);
        glBegin(GL_TRIANGLES);
        walkModel(slot, sendCorner);
        glEnd();
        glEndList();
    }
}
