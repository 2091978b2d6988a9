// make_head: writes the robot's head, the model file "head.obj" that the viewer shows.
//
// The head is built from a few solids: a boxy skull with rounded edges, two round eyes with
// domed lenses, a mouth grille of rounded bars, ear discs with hexagonal bolts, an antenna
// with a ball on top, and a ribbed neck. Curved surfaces get smooth normals, flat ones the
// normal of their face. It is centred on the model's origin, faces +z and is about 200 units
// tall: a tenth of a scene unit per twenty model units in the viewer.
//
// The file holds triangles only, every corner written as vertex/texture vertex/normal, and
// ends with a line "@". Numbers are written with four decimals, rounded in integer arithmetic,
// so that the output is the same on every run.
//
// Usage: make_head [OUTPUT]   (standard output when no path is given)
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct V3 {
    double x = 0, y = 0, z = 0;
};

V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
V3 operator-(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 operator*(V3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
double dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
V3 unit(V3 a) {
    const double length = std::sqrt(dot(a, a));
    return length > 0 ? a * (1 / length) : a;
}

constexpr double pi = 3.14159265358979323846;

// A corner of a triangle: position, normal, texture coordinate.
struct Corner {
    V3 p, n;
    double u = 0, v = 0;
};

// Rounds to four decimals and writes the number without a minus sign on zero.
std::string number(double value) {
    const long long scaled = std::llround(value * 10000.0);
    const long long magnitude = scaled < 0 ? -scaled : scaled;
    // A sign, at most 15 digits, a point and 4 decimals always fit.
    char text[48];
    (void)std::snprintf(text, sizeof text, "%s%lld.%04lld", scaled < 0 ? "-" : "",
                        magnitude / 10000, magnitude % 10000);
    return text;
}

// The mesh being built: triangles of corners, counter-clockwise seen from outside.
struct Mesh {
    std::vector<std::array<Corner, 3>> triangles;

    void triangle(const Corner &a, const Corner &b, const Corner &c) {
        // Skip triangles that have collapsed to a line or a point.
        const V3 area = cross(b.p - a.p, c.p - a.p);
        if (dot(area, area) < 1e-12) {
            return;
        }
        triangles.push_back({a, b, c});
    }

    // A quadrilateral a b c d as two triangles.
    void quad(const Corner &a, const Corner &b, const Corner &c, const Corner &d) {
        triangle(a, b, c);
        triangle(a, c, d);
    }
};

// The lines of one kind of record, each stored once; numbers count from 1, as in the file.
struct Records {
    std::vector<std::string> lines;
    std::map<std::string, int> numbers;

    int numberOf(const std::string &line) {
        const auto found = numbers.find(line);
        if (found != numbers.end()) {
            return found->second;
        }
        lines.push_back(line);
        numbers[line] = static_cast<int>(lines.size());
        return static_cast<int>(lines.size());
    }
};

// Writes the mesh as a model file, moved so that the middle of its bounding box is the origin.
void writeModel(const Mesh &mesh, FILE *out) {
    V3 lowest{1e9, 1e9, 1e9}, highest{-1e9, -1e9, -1e9};
    for (const auto &triangle : mesh.triangles) {
        for (const Corner &c : triangle) {
            lowest = {std::min(lowest.x, c.p.x), std::min(lowest.y, c.p.y),
                      std::min(lowest.z, c.p.z)};
            highest = {std::max(highest.x, c.p.x), std::max(highest.y, c.p.y),
                       std::max(highest.z, c.p.z)};
        }
    }
    const V3 middle = (lowest + highest) * 0.5;

    Records vertices, textures, normals;
    std::vector<std::array<std::array<int, 3>, 3>> faces;
    for (const auto &triangle : mesh.triangles) {
        std::array<std::array<int, 3>, 3> face;
        for (int k = 0; k < 3; k++) {
            const Corner &c = triangle[k];
            const V3 p = c.p - middle;
            const V3 n = unit(c.n);
            face[k] = {vertices.numberOf(number(p.x) + " " + number(p.y) + " " + number(p.z)),
                       textures.numberOf(number(c.u) + " " + number(c.v)),
                       normals.numberOf(number(n.x) + " " + number(n.y) + " " + number(n.z))};
        }
        faces.push_back(face);
    }

    std::fprintf(out, "# A robot's head for robot, written by tools/make_head.\n");
    std::fprintf(out, "# %zu vertices, %zu texture vertices, %zu normals, %zu triangles.\n",
                 vertices.lines.size(), textures.lines.size(), normals.lines.size(), faces.size());
    for (const std::string &v : vertices.lines) {
        std::fprintf(out, "v %s\n", v.c_str());
    }
    for (const std::string &t : textures.lines) {
        std::fprintf(out, "vt %s\n", t.c_str());
    }
    for (const std::string &n : normals.lines) {
        std::fprintf(out, "vn %s\n", n.c_str());
    }
    for (const auto &face : faces) {
        std::fprintf(out, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", face[0][0], face[0][1], face[0][2],
                     face[1][0], face[1][1], face[1][2], face[2][0], face[2][1], face[2][2]);
    }
    std::fprintf(out, "@\n");
}

// A frame for solids of revolution: origin, axis, and two directions across it.
struct Frame {
    V3 origin, axis, across1, across2;
};

Frame frameAlong(V3 origin, V3 axis) {
    axis = unit(axis);
    const V3 helper = std::fabs(axis.y) < 0.9 ? V3{0, 1, 0} : V3{0, 0, 1};
    const V3 a1 = unit(cross(helper, axis));
    return {origin, axis, a1, cross(axis, a1)};
}

// A ring of a profile: radius and height along the axis, and the normal in the profile plane
// (outwards, along the axis).
struct Ring {
    double r, h, nr, nh;
};

// A surface of revolution. Each strip is a run of rings joined smoothly, one strip after
// another; where two strips meet, the edge is sharp. `sides` segments around; with `faceted`
// each segment is flat, with the normal of its middle (a prism), otherwise smooth.
void lathe(Mesh &mesh, const Frame &f, const std::vector<std::vector<Ring>> &strips, int sides,
           bool faceted = false, double turn = 0) {
    double length = 0; // along the profile, for the texture's v
    for (const std::vector<Ring> &strip : strips) {
        for (size_t i = 0; i + 1 < strip.size(); i++) {
            const Ring &a = strip[i];
            const Ring &b = strip[i + 1];
            const double step = std::hypot(b.r - a.r, b.h - a.h);
            for (int s = 0; s < sides; s++) {
                const double phi0 = turn + 2 * pi * s / sides;
                const double phi1 = turn + 2 * pi * (s + 1) / sides;
                const auto corner = [&](const Ring &ring, double phi, double v) {
                    const double normalPhi = faceted ? (phi0 + phi1) / 2 : phi;
                    const V3 out = f.across1 * std::cos(phi) + f.across2 * std::sin(phi);
                    const V3 normalOut =
                        f.across1 * std::cos(normalPhi) + f.across2 * std::sin(normalPhi);
                    Corner c;
                    c.p = f.origin + f.axis * ring.h + out * ring.r;
                    c.n = f.axis * ring.nh + normalOut * ring.nr;
                    c.u = (phi - turn) / (2 * pi);
                    c.v = v / 100;
                    return c;
                };
                const Corner a0 = corner(a, phi0, length), a1 = corner(a, phi1, length);
                const Corner b0 = corner(b, phi0, length + step),
                             b1 = corner(b, phi1, length + step);
                // Outwards is the side the profile turns to when it runs from a to b with the
                // axis on its left: counter-clockwise seen from there.
                mesh.quad(a0, a1, b1, b0);
            }
            length += step;
        }
    }
}

// Rings of a sphere's arc of radius `radius` centred at height `centre`, from latitude `from`
// to `to` (degrees, -90 at the bottom), in `steps` steps.
std::vector<Ring> sphereArc(double radius, double centre, double from, double to, int steps) {
    std::vector<Ring> rings;
    for (int k = 0; k <= steps; k++) {
        const double lat = (from + (to - from) * k / steps) * pi / 180;
        rings.push_back({radius * std::cos(lat), centre + radius * std::sin(lat), std::cos(lat),
                         std::sin(lat)});
    }
    return rings;
}

// A flat disc facing along the axis (up = +1) or against it (up = -1), from radius `outer`
// in to `inner`.
std::vector<Ring> disc(double h, double outer, double inner, double up) {
    if (up > 0) {
        return {{outer, h, 0, 1}, {inner, h, 0, 1}};
    }
    return {{inner, h, 0, -1}, {outer, h, 0, -1}};
}

// A straight side of radius r from height h0 up to h1.
std::vector<Ring> side(double r, double h0, double h1) {
    return {{r, h0, 1, 0}, {r, h1, 1, 0}};
}

// A box with rounded edges and corners: centre, half sizes, edge radius, and steps per eighth
// of a turn. The flat part of each face is one piece with the face's own normal; the rounded
// edges and corners have smooth normals.
void roundedBox(Mesh &mesh, V3 centre, V3 half, double radius, int steps) {
    const double h[3] = {half.x, half.y, half.z};
    // Positions along each axis on the outer box: the rounded band at each end is divided so
    // that its normals turn by equal angles.
    std::vector<double> knots[3];
    for (int axis = 0; axis < 3; axis++) {
        const double inner = h[axis] - radius;
        for (int k = steps; k >= 1; k--) {
            knots[axis].push_back(-inner - radius * std::tan(pi / 4 * k / steps));
        }
        knots[axis].push_back(-inner);
        knots[axis].push_back(inner);
        for (int k = 1; k <= steps; k++) {
            knots[axis].push_back(inner + radius * std::tan(pi / 4 * k / steps));
        }
    }
    for (int axis = 0; axis < 3; axis++) {
        for (const double sign : {-1.0, 1.0}) {
            // The two axes across the face, ordered so that their cross product points out.
            int b = (axis + 1) % 3, c = (axis + 2) % 3;
            if (sign < 0) {
                std::swap(b, c);
            }
            const auto corner = [&](double pb, double pc) {
                double p[3], q[3], d[3];
                p[axis] = sign * h[axis];
                p[b] = pb;
                p[c] = pc;
                for (int k = 0; k < 3; k++) {
                    const double inner = h[k] - radius;
                    q[k] = std::clamp(p[k], -inner, inner);
                    d[k] = p[k] - q[k];
                }
                const V3 n = unit({d[0], d[1], d[2]});
                Corner out;
                out.p = centre + V3{q[0], q[1], q[2]} + n * radius;
                out.n = n;
                out.u = (pb + h[b]) / (2 * h[b]);
                out.v = (pc + h[c]) / (2 * h[c]);
                return out;
            };
            for (size_t i = 0; i + 1 < knots[b].size(); i++) {
                for (size_t j = 0; j + 1 < knots[c].size(); j++) {
                    mesh.quad(corner(knots[b][i], knots[c][j]),
                              corner(knots[b][i + 1], knots[c][j]),
                              corner(knots[b][i + 1], knots[c][j + 1]),
                              corner(knots[b][i], knots[c][j + 1]));
                }
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The head. Model units, y up, the face towards +z; positions before centring.
// ---------------------------------------------------------------------------------------------

// Skull: half sizes and edge radius.
constexpr double skullX = 70, skullY = 60, skullZ = 60, skullRound = 16;

void skull(Mesh &mesh) {
    roundedBox(mesh, {0, 0, 0}, {skullX, skullY, skullZ}, skullRound, 3);
}

// An eye: a round housing standing out of the face, a bevelled rim and a domed lens.
void eye(Mesh &mesh, double x) {
    const double y = 18, front = skullZ;
    const double housing = 22, lens = 14, depth = 10;
    std::vector<std::vector<Ring>> profile = {
        side(housing, -6, depth - 3),
        {{housing, depth - 3, 1, 1}, {housing - 3, depth, 1, 1}},
        disc(depth, housing - 3, lens + 2, 1),
        {{lens + 2, depth, -1, 0}, {lens + 2, depth - 3, -1, 0}},
        disc(depth - 3, lens + 2, lens, 1),
    };
    // The lens: a cap of a sphere, rising 9 units over its rim.
    const double rise = 9;
    const double sphere = (lens * lens + rise * rise) / (2 * rise);
    const double centre = depth - 3 + rise - sphere;
    const double startLat = std::asin((depth - 3 - centre) / sphere) * 180 / pi;
    std::vector<Ring> dome = sphereArc(sphere, centre, startLat, 90, 6);
    profile.push_back(dome);
    lathe(mesh, frameAlong({x, y, front}, {0, 0, 1}), profile, 28);
}

// The mouth: a raised plate with rounded edges, and four rounded bars across it.
void mouth(Mesh &mesh) {
    const double y = -24, front = skullZ;
    roundedBox(mesh, {0, y, front}, {42, 16, 5}, 3, 2);
    for (int bar = 0; bar < 4; bar++) {
        const double barY = y - 12 + 8 * bar;
        lathe(mesh, frameAlong({-36, barY, front + 5}, {1, 0, 0}),
              {sphereArc(3.5, 0, -90, 0, 2), side(3.5, 0, 72), sphereArc(3.5, 72, 0, 90, 2)}, 12);
    }
}

// An ear: a disc on the side of the skull with a bevelled edge, and a hexagonal bolt on it.
void ear(Mesh &mesh, double sign) {
    const double y = 8;
    const Frame f = frameAlong({sign * (skullX - 6), y, 0}, {sign, 0, 0});
    lathe(
        mesh, f,
        {disc(0, 28, 0, -1), side(28, 0, 11), {{28, 11, 1, 1}, {25, 14, 1, 1}}, disc(14, 25, 0, 1)},
        28);
    // The bolt: a hexagonal prism with a chamfered top, and a round stud.
    const Frame bolt = frameAlong({sign * (skullX + 8), y, 0}, {sign, 0, 0});
    lathe(mesh, bolt, {side(13, 0, 7), {{13, 7, 1, 1}, {11, 9, 1, 1}}, disc(9, 11, 0, 1)}, 6, true,
          pi / 6);
    lathe(mesh, frameAlong({sign * (skullX + 17), y, 0}, {sign, 0, 0}),
          {side(5, -1, 3), sphereArc(5, 3, 0, 90, 4)}, 16);
}

// The antenna: a collar on top of the skull, a thin stalk and a ball.
void antenna(Mesh &mesh) {
    const Frame f = frameAlong({0, skullY - 2, -10}, {0, 1, 0});
    lathe(mesh, f,
          {side(14, 0, 6), {{14, 6, 1, 1}, {11, 9, 1, 1}}, disc(9, 11, 3.5, 1), side(3.5, 9, 48)},
          16);
    lathe(mesh, frameAlong({0, skullY - 2 + 54, -10}, {0, 1, 0}), {sphereArc(10, 0, -90, 90, 8)},
          16);
}

// The neck: a ribbed column under the skull.
void neck(Mesh &mesh) {
    const double top = -skullY + 4, bottom = -skullY - 20;
    std::vector<Ring> ribs;
    const int ribCount = 2, stepsPerRib = 6;
    const double step = (top - bottom) / (ribCount * stepsPerRib);
    for (int k = 0; k <= ribCount * stepsPerRib; k++) {
        const double h = bottom + step * k;
        const double angle = 2 * pi * k / stepsPerRib;
        // The radius swells and narrows; the normal leans against the slope.
        const double r = 30 + 3 * std::cos(angle);
        const double slope = -3 * std::sin(angle) * (2 * pi / stepsPerRib) / step;
        ribs.push_back({r, h, 1, -slope});
    }
    lathe(mesh, frameAlong({0, 0, -5}, {0, 1, 0}), {disc(bottom, 33, 0, -1), ribs}, 24);
}

} // namespace

int main(int argc, char **argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: make_head [OUTPUT]\n");
        return 2;
    }
    Mesh mesh;
    skull(mesh);
    eye(mesh, -30);
    eye(mesh, 30);
    mouth(mesh);
    ear(mesh, -1);
    ear(mesh, 1);
    antenna(mesh);
    neck(mesh);

    FILE *out = argc == 2 ? std::fopen(argv[1], "w") : stdout;
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    writeModel(mesh, out);
    // A write that failed shows in the stream's error flag, or when the stream is flushed and
    // closed: standard output is flushed here, before the exit status is chosen.
    const bool failed = std::fflush(out) != 0 || std::ferror(out) != 0;
    if (failed || (out != stdout && std::fclose(out) != 0)) {
        std::perror("make_head");
        return 1;
    }
    return 0;
}
