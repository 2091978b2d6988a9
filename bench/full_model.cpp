// The full-capacity model: 9,999 vertices, texture vertices and normals, 19,999 triangles.
#include "full_model.h"

#include <cmath>
#include <cstdio>

namespace {

// The torus: rings around the z axis, corners around the tube.
constexpr int rings = 99;
constexpr int corners = 101;
static_assert(rings * corners == fullModelVertices, "one vertex per ring corner");
static_assert(2 * rings * corners + 1 == fullModelFaces, "two triangles per cell, and one more");

// Radii in model units: centre to the middle of the tube, and of the tube.
constexpr double majorRadius = 70.0;
constexpr double minorRadius = 30.0;

constexpr double pi = 3.14159265358979323846;

// The vertex number (from 1) of corner `c` of ring `r`, both taken round.
int vertexNumber(int r, int c) {
    return (r % rings) * corners + (c % corners) + 1;
}

void appendLine(std::string &text, const char *format, double a, double b, double c) {
    char line[128];
    const int n = std::snprintf(line, sizeof line, format, a, b, c);
    text.append(line, static_cast<size_t>(n));
}

void appendFace(std::string &text, int a, int b, int c) {
    char line[128];
    const int n = std::snprintf(line, sizeof line, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b,
                                b, c, c, c);
    text.append(line, static_cast<size_t>(n));
}

} // namespace

std::string fullCapacityModel() {
    std::string text = "# full-capacity model: a torus, written by the benchmarks\n";
    for (int r = 0; r < rings; r++) {
        const double theta = 2 * pi * r / rings;
        for (int c = 0; c < corners; c++) {
            const double phi = 2 * pi * c / corners;
            const double radius = majorRadius + minorRadius * std::cos(phi);
            appendLine(text, "v %.6f %.6f %.6f\n", radius * std::cos(theta),
                       radius * std::sin(theta), minorRadius * std::sin(phi));
        }
    }
    for (int r = 0; r < rings; r++) {
        for (int c = 0; c < corners; c++) {
            appendLine(text, "vt %.6f %.6f %.6f\n", static_cast<double>(c) / corners,
                       static_cast<double>(r) / rings, 0.0);
        }
    }
    for (int r = 0; r < rings; r++) {
        const double theta = 2 * pi * r / rings;
        for (int c = 0; c < corners; c++) {
            const double phi = 2 * pi * c / corners;
            appendLine(text, "vn %.6f %.6f %.6f\n", std::cos(phi) * std::cos(theta),
                       std::cos(phi) * std::sin(theta), std::sin(phi));
        }
    }
    for (int r = 0; r < rings; r++) {
        for (int c = 0; c < corners; c++) {
            const int a = vertexNumber(r, c), b = vertexNumber(r, c + 1);
            const int d = vertexNumber(r + 1, c), e = vertexNumber(r + 1, c + 1);
            appendFace(text, a, b, e);
            appendFace(text, a, e, d);
        }
    }
    appendFace(text, vertexNumber(0, 0), vertexNumber(0, 1), vertexNumber(1, 1));
    text += "@\n";
    return text;
}
