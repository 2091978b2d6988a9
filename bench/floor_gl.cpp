// The same-drawing floor's OpenGL calls: robot's start-up and frame, written out one by one.
#include "floor_gl.h"

#include <GL/glu.h>
#include <GL/glut.h>
#include <cstdint>
#include <cstdio>

namespace {

// Texture names, as glGenTextures gives them at start-up.
GLuint floorTextures[4] = {};

// The light and the material (RGBA, or a homogeneous position).
const GLfloat lightAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
const GLfloat lightDiffuse[4] = {0.0f, 1.0f, 0.0f, 1.0f};
const GLfloat lightPosition[4] = {530.0f, 1220.0f, 210.0f, 1.0f};
const GLfloat materialAmbient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const GLfloat materialDiffuse[4] = {0.0f, 0.5f, 0.0f, 0.0f};
const GLfloat materialSpecular[4] = {0.0f, 0.7f, 0.0f, 0.5f};

// Reads `count` items of `size` bytes each from `file`.
bool readItems(std::FILE *file, void *to, size_t size, size_t count) {
    return std::fread(to, size, count, file) == count;
}

bool readMesh(const std::string &path, FloorData &data) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    int32_t faces = 0;
    bool ok = readItems(file, &faces, sizeof faces, 1) && faces >= 0 && faces < 1000000;
    if (ok) {
        data.faceCount = faces;
        data.corners.resize(static_cast<size_t>(faces) * 3 * 8);
        ok = readItems(file, data.corners.data(), sizeof(float), data.corners.size());
    }
    // The file was only read: a failure to close it loses nothing.
    (void)std::fclose(file);
    return ok;
}

bool readImage(const std::string &path, FloorData &data) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    int32_t sides[2] = {};
    bool ok = readItems(file, sides, sizeof sides[0], 2) && sides[0] > 0 && sides[1] > 0 &&
              sides[0] <= 16384 && sides[1] <= 16384;
    if (ok) {
        data.imageWidth = sides[0];
        data.imageHeight = sides[1];
        data.pixels.resize(static_cast<size_t>(sides[0]) * static_cast<size_t>(sides[1]) * 3);
        ok = readItems(file, data.pixels.data(), 1, data.pixels.size());
    }
    // The file was only read: a failure to close it loses nothing.
    (void)std::fclose(file);
    return ok;
}

void loadTexture(GLuint name, const FloorData &data) {
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, data.imageWidth, data.imageHeight, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, data.pixels.data());
}

} // namespace

bool readFloorData(const std::string &dir, FloorData &data) {
    return readMesh(dir + "/" + floorMeshFile, data) && readImage(dir + "/" + floorImageFile, data);
}

void floorStartup(const FloorData &data) {
    glutFullScreen();
    floorSetup(data);
}

void floorSetup(const FloorData &data) {
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
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 20.0f);
    glEnable(GL_NORMALIZE);

    glNewList(8, GL_COMPILE);
    glEnable(GL_NORMALIZE);
    glBegin(GL_TRIANGLES);
    const float *c = data.corners.data();
    const float *end = c + data.corners.size();
    for (; c < end; c += 8) {
        glNormal3f(c[0], c[1], c[2]);
        glTexCoord2f(c[3], c[4]);
        glVertex3f(c[5], c[6], c[7]);
    }
    glEnd();
    glEndList();

    glDisable(GL_TEXTURE_2D);

    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glGenTextures(4, floorTextures);
    loadTexture(floorTextures[0], data);
    loadTexture(floorTextures[1], data);
    loadTexture(floorTextures[2], data);
    loadTexture(floorTextures[3], data);
}

void floorFrame(int width, int height) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(70.0, static_cast<double>(width) / static_cast<double>(height), 0.1f, 300.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, -3.0f, -70.0f);
    glTranslatef(0.0f, 0.0f, 20.0f);

    // The room.
    glTranslatef(0.0f, -3.0f, 50.0f);
    glColor3f(1.0f, 0.0f, 0.0f);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, floorTextures[1]);
    glDisable(GL_LIGHTING);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex3f(-40, -5, 20);
    glTexCoord2f(4, 0), glVertex3f(40, -5, 20);
    glTexCoord2f(4, 4), glVertex3f(40, -5, -100);
    glTexCoord2f(0, 4), glVertex3f(-40, -5, -100);
    glEnd();
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, floorTextures[2]);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 4), glVertex3f(-40, 50, 20);
    glTexCoord2f(4, 4), glVertex3f(-40, -5, 20);
    glTexCoord2f(4, 0), glVertex3f(-40, -5, -100);
    glTexCoord2f(0, 0), glVertex3f(-40, 50, -100);
    glEnd();
    glBegin(GL_QUADS);
    glTexCoord2f(0, 4), glVertex3f(40, 50, 20);
    glTexCoord2f(4, 4), glVertex3f(40, -5, 20);
    glTexCoord2f(4, 0), glVertex3f(40, -5, -100);
    glTexCoord2f(0, 0), glVertex3f(40, 50, -100);
    glEnd();
    glBegin(GL_QUADS);
    glTexCoord2f(0, 4), glVertex3f(40, 50, -100);
    glTexCoord2f(4, 4), glVertex3f(40, -5, -100);
    glTexCoord2f(4, 0), glVertex3f(-40, -5, -100);
    glTexCoord2f(0, 0), glVertex3f(-40, 50, -100);
    glEnd();
    glBegin(GL_QUADS);
    glTexCoord2f(0, 4), glVertex3f(40, 50, -20);
    glTexCoord2f(4, 4), glVertex3f(40, 50, -100);
    glTexCoord2f(4, 0), glVertex3f(-40, 50, -100);
    glTexCoord2f(0, 0), glVertex3f(-40, 50, -20);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);

    // The head, at its starting place (0, 20), not turned.
    glTranslatef(0.0f, -7.7f, 10.0f);
    glTranslatef(0.0f, 0.0f, 20.0f);
    glEnable(GL_LIGHTING);
    glPushMatrix();
    glTranslatef(0.0f, 18.6f, -60.0f);
    glScalef(0.05f, 0.05f, 0.05f);
    glRotatef(0.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(0.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(0.0f, 0.0f, 0.0f, 1.0f);
    glCallList(8);
    glPopMatrix();

    glFlush();
    glutSwapBuffers();
}
