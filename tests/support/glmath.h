// The tests' own matrix arithmetic, in double precision, so that expected window coordinates
// are computed from the numbers themselves and not by the code under test. Matrices are
// column-major, as OpenGL keeps them.
#pragma once

#include <array>
#include <cmath>
#include <vector>

struct Vec4 {
    double x = 0, y = 0, z = 0, w = 1;
};

struct Mat4 {
    std::array<double, 16> m{}; // m[column * 4 + row]

    static Mat4 identity() {
        Mat4 r;
        r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1;
        return r;
    }
    double at(int row, int column) const { return m[column * 4 + row]; }
    double &at(int row, int column) { return m[column * 4 + row]; }

    Mat4 operator*(const Mat4 &b) const {
        Mat4 r;
        for (int row = 0; row < 4; row++) {
            for (int column = 0; column < 4; column++) {
                double sum = 0;
                for (int k = 0; k < 4; k++) {
                    sum += at(row, k) * b.at(k, column);
                }
                r.at(row, column) = sum;
            }
        }
        return r;
    }
    Vec4 operator*(const Vec4 &v) const {
        const double vector[4] = {v.x, v.y, v.z, v.w};
        double out[4] = {};
        for (int row = 0; row < 4; row++) {
            for (int k = 0; k < 4; k++) {
                out[row] += at(row, k) * vector[k];
            }
        }
        return {out[0], out[1], out[2], out[3]};
    }
};

inline Mat4 translation(double x, double y, double z) {
    Mat4 r = Mat4::identity();
    r.at(0, 3) = x;
    r.at(1, 3) = y;
    r.at(2, 3) = z;
    return r;
}

inline Mat4 scaling(double s) {
    Mat4 r = Mat4::identity();
    r.at(0, 0) = r.at(1, 1) = r.at(2, 2) = s;
    return r;
}

// Rotation by `degrees` about the unit axis (x, y, z), counter-clockwise looking down the axis.
inline Mat4 rotation(double degrees, double x, double y, double z) {
    const double a = degrees * M_PI / 180.0;
    const double c = std::cos(a), s = std::sin(a), t = 1 - c;
    Mat4 r = Mat4::identity();
    r.at(0, 0) = t * x * x + c;
    r.at(0, 1) = t * x * y - s * z;
    r.at(0, 2) = t * x * z + s * y;
    r.at(1, 0) = t * x * y + s * z;
    r.at(1, 1) = t * y * y + c;
    r.at(1, 2) = t * y * z - s * x;
    r.at(2, 0) = t * x * z - s * y;
    r.at(2, 1) = t * y * z + s * x;
    r.at(2, 2) = t * z * z + c;
    return r;
}

// Perspective projection: vertical field of view in degrees, aspect ratio, near and far planes.
inline Mat4 perspective(double fovyDegrees, double aspect, double zNear, double zFar) {
    const double f = 1.0 / std::tan(fovyDegrees * M_PI / 360.0);
    Mat4 r;
    r.at(0, 0) = f / aspect;
    r.at(1, 1) = f;
    r.at(2, 2) = (zFar + zNear) / (zNear - zFar);
    r.at(2, 3) = 2 * zFar * zNear / (zNear - zFar);
    r.at(3, 2) = -1;
    return r;
}

// A point in window coordinates: x, y in pixels from the lower left, z the depth in [0, 1].
struct WindowPoint {
    double x = 0, y = 0, z = 0;
};

// Perspective division and viewport transform (viewport at the origin, depth range 0 to 1).
inline WindowPoint toWindow(const Vec4 &clip, int width, int height) {
    return {(clip.x / clip.w + 1) * 0.5 * width, (clip.y / clip.w + 1) * 0.5 * height,
            (clip.z / clip.w + 1) * 0.5};
}

// Clips a convex polygon in clip coordinates against the six planes of the view volume
// (-w <= x, y, z <= w), one plane after the other.
inline std::vector<Vec4> clipToViewVolume(std::vector<Vec4> polygon) {
    for (int plane = 0; plane < 6; plane++) {
        const auto distance = [plane](const Vec4 &v) {
            const double c = plane / 2 == 0 ? v.x : plane / 2 == 1 ? v.y : v.z;
            return plane % 2 == 0 ? v.w + c : v.w - c;
        };
        std::vector<Vec4> kept;
        for (size_t i = 0; i < polygon.size(); i++) {
            const Vec4 &a = polygon[i];
            const Vec4 &b = polygon[(i + 1) % polygon.size()];
            const double da = distance(a), db = distance(b);
            if (da >= 0) {
                kept.push_back(a);
            }
            if ((da >= 0) != (db >= 0)) {
                const double t = da / (da - db);
                kept.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z),
                                a.w + t * (b.w - a.w)});
            }
        }
        polygon = kept;
    }
    return polygon;
}

// Area of a polygon in the window's x-y plane (absolute value).
inline double windowArea(const std::vector<WindowPoint> &polygon) {
    double twice = 0;
    for (size_t i = 0; i < polygon.size(); i++) {
        const WindowPoint &a = polygon[i];
        const WindowPoint &b = polygon[(i + 1) % polygon.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return std::fabs(twice) / 2;
}
