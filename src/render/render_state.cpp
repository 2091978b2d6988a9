// The render state of the whole run: dark blue background, depth test, one positional green
// light fixed relative to the viewer, and the robot's green material.
#include "render/render.h"

// Light 0. The position is given once, while the modelview matrix is the identity, so the light
// stays at this place in eye coordinates: above, right of and behind the viewer.
const GLfloat lightAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
const GLfloat lightDiffuse[4] = {0.0f, 1.0f, 0.0f, 1.0f};
const GLfloat lightPosition[4] = {530.0f, 1220.0f, 210.0f, 1.0f};

// The robot's material, front and back alike. A black ambient colour keeps the faces turned
// away from the light black.
const GLfloat materialAmbient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const GLfloat materialDiffuse[4] = {0.0f, 0.5f, 0.0f, 0.0f};
const GLfloat materialSpecular[4] = {0.0f, 0.7f, 0.0f, 0.5f};
const GLfloat materialShininess = 20.0f;

void setupRenderState() {
    glClearColor(0.0f, 0.0f, 0.1f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glShadeModel(GL_SMOOTH);
    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_FILL);

    glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);

    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, materialAmbient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, materialDiffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, materialSpecular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, materialShininess);

    // Normals are brought to unit length after transformation, so the robot's brightness does
    // not depend on its scale or on the length of the normals in the model file.
    glEnable(GL_NORMALIZE);
}
