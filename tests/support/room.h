// The room as the program draws it, for the tests: the corners of its five quads in its own
// scene units, where they land in a window, and points well inside each surface there.
#pragma once

#include <vector>

#include "glmath.h"

// Floor, left wall, right wall, back wall, ceiling, in the order drawn; each corner as the
// texture coordinate (s, t) and the position (x, y, z) in the room's own units.
struct RoomCorner {
    double s, t, x, y, z;
};
inline const RoomCorner roomQuads[5][4] = {
    {{0, 0, -40, -5, 20}, {4, 0, 40, -5, 20}, {4, 4, 40, -5, -100}, {0, 4, -40, -5, -100}},
    {{0, 4, -40, 50, 20}, {4, 4, -40, -5, 20}, {4, 0, -40, -5, -100}, {0, 0, -40, 50, -100}},
    {{0, 4, 40, 50, 20}, {4, 4, 40, -5, 20}, {4, 0, 40, -5, -100}, {0, 0, 40, 50, -100}},
    {{0, 4, 40, 50, -100}, {4, 4, 40, -5, -100}, {4, 0, -40, -5, -100}, {0, 0, -40, 50, -100}},
    {{0, 4, 40, 50, -20}, {4, 4, 40, 50, -100}, {4, 0, -40, 50, -100}, {0, 0, -40, 50, -20}},
};
constexpr int roomFloorQuad = 0;

// The projection for a window of `width` x `height`: 70 degrees, near plane the float 0.1,
// far plane 300.
inline Mat4 sceneProjection(int width, int height) {
    return perspective(70.0, static_cast<double>(width) / height, static_cast<double>(0.1f), 300.0);
}

// The camera, then the room's own offset.
inline Mat4 roomModelview() {
    return translation(0, -3, -70) * translation(0, 0, 20) * translation(0, -3, 50);
}

// The robot's model frame for the offset (x, z) and the spin angles in degrees; model units.
inline Mat4 robotModelview(double x, double z, double ax, double ay, double az) {
    return roomModelview() * translation(0, -7.7, 10) * translation(x, 0, z) *
           translation(0, 18.6, -60) * scaling(0.05) * rotation(ax, 0, 1, 0) *
           rotation(ay, 1, 0, 0) * rotation(az, 0, 0, 1);
}

// From the room's own units to clip coordinates, at a window of `width` x `height`.
inline Mat4 roomToClip(int width, int height) {
    return sceneProjection(width, height) * roomModelview();
}

// For each quad, the points of a 9 x 9 grid spread over it (a tenth of its sides in from its
// edges) that land in front of the viewer and at least `margin` pixels inside the window; in
// window coordinates, pixels from the lower left.
inline std::vector<std::vector<WindowPoint>> pointsInsideRoomSurfaces(int width, int height,
                                                                      int margin) {
    const Mat4 toClip = roomToClip(width, height);
    std::vector<std::vector<WindowPoint>> surfaces(5);
    for (int q = 0; q < 5; q++) {
        const auto &c = roomQuads[q];
        for (int i = 1; i < 10; i++) {
            for (int j = 1; j < 10; j++) {
                // Bilinear between the corners: a from corner 1 towards 2, b towards 4.
                const double a = i / 10.0, b = j / 10.0;
                const auto blend = [&](double RoomCorner::*axis) {
                    return (1 - a) * (1 - b) * c[0].*axis + a * (1 - b) * c[1].*axis +
                           a * b * c[2].*axis + (1 - a) * b * c[3].*axis;
                };
                const Vec4 clip = toClip * Vec4{blend(&RoomCorner::x), blend(&RoomCorner::y),
                                                blend(&RoomCorner::z), 1};
                if (clip.w <= 0) {
                    continue;
                }
                const WindowPoint w = toWindow(clip, width, height);
                if (w.x >= margin && w.x <= width - 1 - margin && w.y >= margin &&
                    w.y <= height - 1 - margin) {
                    surfaces[static_cast<size_t>(q)].push_back(w);
                }
            }
        }
    }
    return surfaces;
}
