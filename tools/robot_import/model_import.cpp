// robot-import model: reads a model in any format that the Open Asset Import Library reads,
// and writes it in the viewer's dialect of OBJ (triangles, every corner v/vt/vn, numbered from
// 1, an "@" line at the end), centred on the origin, 200 units tall, within the viewer's
// capacity.
#include <algorithm>
#include <array>
#include <cfloat> // DBL_MAX_10_EXP
#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include <assimp/Importer.hpp> // Assimp::Importer
#include <assimp/config.h>     // AI_CONFIG_PP_*
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <meshoptimizer.h>

#include "assets/model.h" // vertexCapacity, faceCapacity: the viewer's store
#include "robot_import.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// What the viewer's store holds: entry 0 of each array is never filled.
constexpr size_t vertexLimit = vertexCapacity - 1;
constexpr size_t faceLimit = faceCapacity - 1;

// Height of the written model in scene units, like the viewer's own head (which the viewer
// draws at a twentieth of its size, in a room 55 units high).
constexpr double modelHeight = 200.0;

// The import steps: one list of triangles in the scene's own frame, with identical vertices
// merged, and no points, lines or degenerate triangles. (Normals where the file has none are
// made here, after the model is turned and scaled: the library's own can only smooth across
// every edge of a mesh whose faces share their vertices.)
constexpr unsigned importSteps = aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                                 aiProcess_PreTransformVertices | aiProcess_SortByPType |
                                 aiProcess_FindDegenerates | aiProcess_FindInvalidData |
                                 aiProcess_ValidateDataStructure;

// Normals made for a file that has none: smooth across edges where the faces meet at less
// than this angle, in degrees, and sharp at the others (a box keeps its edges, a ball is
// round).
constexpr float creaseAngle = 80.0f;

// Simplification: the error allowed, relative to the model's size (1: whatever it takes to
// reach the target), the share by which each new attempt lowers its target, and the most
// attempts.
constexpr float simplifyError = 1.0f;
constexpr double targetMargin = 0.97;
constexpr int simplifyAttempts = 60;

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

Vec3 operator-(const Vec3 &a, const Vec3 &b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator+(const Vec3 &a, const Vec3 &b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator*(const Vec3 &a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
Vec3 cross(const Vec3 &a, const Vec3 &b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(const Vec3 &a) {
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}
bool finite(const Vec3 &a) {
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}

double dot(const Vec3 &a, const Vec3 &b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// A corner of an imported triangle. `hasNormal` and `hasUv` are false where the file gives no
// normals or no texture coordinates.
struct SourceCorner {
    Vec3 position, normal;
    double u = 0, v = 0;
    bool hasNormal = false, hasUv = false;
};
using SourceTriangle = std::array<SourceCorner, 3>;

// A corner as the dialect writes it: numbers of a vertex, a texture vertex and a normal, each
// counted from 0 here and written from 1.
struct Corner {
    size_t v = 0, vt = 0, vn = 0;
};
using Face = std::array<Corner, 3>;

// The model in the dialect's terms: three separately numbered lists of distinct records (as
// they are written: two records that print alike are one) and the faces that use them.
struct Mesh {
    std::vector<Vec3> positions;
    std::vector<std::array<double, 2>> texcoords;
    std::vector<Vec3> normals;
    std::vector<Face> faces;
};

// Gathers records, keeping one of each printed text, numbered in order of first use.
template <typename Value> class RecordList {
  public:
    size_t add(const std::string &text, const Value &value) {
        const auto found = numbers_.find(text);
        if (found != numbers_.end()) {
            return found->second;
        }
        numbers_.emplace(text, values_.size());
        values_.push_back(value);
        return values_.size() - 1;
    }
    std::vector<Value> take() { return std::move(values_); }

  private:
    std::unordered_map<std::string, size_t> numbers_;
    std::vector<Value> values_;
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// A coordinate as every coordinate of the file is written: with 4 decimals, 0.0001 units of a
// 200-unit model.
std::string decimal(double value) {
    // The longest such text, that of the largest double: a sign, DBL_MAX_10_EXP + 1 digits, the
    // point, 4 decimals and the terminating zero. Every double fits, so the result of snprintf
    // (the length written) says nothing new.
    char text[1 + DBL_MAX_10_EXP + 1 + 1 + 4 + 1];
    (void)std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

// A number in a comment: at most 6 significant digits, in the shorter of the two notations.
std::string general(double value) {
    // A sign, 6 digits and the point, "e", the exponent's sign and 3 digits, the terminating
    // zero: every double fits.
    char text[16];
    (void)std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::string positionText(const Vec3 &p) {
    return decimal(p.x) + " " + decimal(p.y) + " " + decimal(p.z);
}
std::string texcoordText(const std::array<double, 2> &t) {
    return decimal(t[0]) + " " + decimal(t[1]);
}
std::string normalText(const Vec3 &n) {
    return decimal(n.x) + " " + decimal(n.y) + " " + decimal(n.z);
}

// The number as it will be written and read back.
double rounded(double value) {
    return std::strtod(decimal(value).c_str(), nullptr);
}
Vec3 rounded(const Vec3 &a) {
    return {rounded(a.x), rounded(a.y), rounded(a.z)};
}

// `n` brought to unit length, or `fallback` when it has none.
Vec3 unit(const Vec3 &n, const Vec3 &fallback) {
    const double l = length(n);
    return l > 1e-12 && std::isfinite(l) ? n * (1.0 / l) : fallback;
}

// The triangles of every mesh of the scene, in the scene's frame.
std::vector<SourceTriangle> collectTriangles(const aiScene &scene) {
    std::vector<SourceTriangle> triangles;
    for (unsigned m = 0; m < scene.mNumMeshes; m++) {
        const aiMesh &mesh = *scene.mMeshes[m];
        if ((mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) == 0 || mesh.mVertices == nullptr) {
            continue;
        }
        const aiVector3D *uvs = mesh.mTextureCoords[0];
        for (unsigned f = 0; f < mesh.mNumFaces; f++) {
            const aiFace &face = mesh.mFaces[f];
            if (face.mNumIndices != 3) {
                continue;
            }
            SourceTriangle t;
            for (int k = 0; k < 3; k++) {
                const unsigned i = face.mIndices[k];
                const aiVector3D &p = mesh.mVertices[i];
                t[static_cast<size_t>(k)].position = {p.x, p.y, p.z};
                if (mesh.mNormals != nullptr) {
                    const aiVector3D &n = mesh.mNormals[i];
                    t[static_cast<size_t>(k)].normal = {n.x, n.y, n.z};
                    t[static_cast<size_t>(k)].hasNormal = true;
                }
                if (uvs != nullptr) {
                    t[static_cast<size_t>(k)].u = uvs[i].x;
                    t[static_cast<size_t>(k)].v = uvs[i].y;
                    t[static_cast<size_t>(k)].hasUv = true;
                }
            }
            triangles.push_back(t);
        }
    }
    return triangles;
}

// Turns a z-up model so that its up is y, as the viewer's is: (x, y, z) becomes (x, z, -y),
// which also turns a model that faces -y (the front in most z-up programs) towards the viewer.
Vec3 zUpToYUp(const Vec3 &a) {
    return {a.x, a.z, -a.y};
}

// Moves the middle of the model's bounding box to the origin and scales it to `modelHeight`
// along y (or along its largest side, when it is flat in y). Returns the scale factor, or 0
// when the model has no size at all.
double centreAndScale(std::vector<SourceTriangle> &triangles, bool zUp) {
    Vec3 low{HUGE_VAL, HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (SourceTriangle &t : triangles) {
        for (SourceCorner &c : t) {
            if (zUp) {
                c.position = zUpToYUp(c.position);
                c.normal = zUpToYUp(c.normal);
            }
            low = {std::min(low.x, c.position.x), std::min(low.y, c.position.y),
                   std::min(low.z, c.position.z)};
            high = {std::max(high.x, c.position.x), std::max(high.y, c.position.y),
                    std::max(high.z, c.position.z)};
        }
    }
    const Vec3 size = high - low;
    const double largest = std::max({size.x, size.y, size.z});
    // A model flat in y (a picture frame lying down, a floor plan) gets its largest side.
    const double height = size.y > largest * 1e-6 ? size.y : largest;
    if (!(height > 0) || !std::isfinite(height)) {
        return 0;
    }
    const double scale = modelHeight / height;
    const Vec3 middle = (low + high) * 0.5;
    for (SourceTriangle &t : triangles) {
        for (SourceCorner &c : t) {
            c.position = (c.position - middle) * scale;
        }
    }
    return scale;
}

// Gives every corner without a normal the smooth normal of its place: the sum of the normals
// of the triangles that meet there (each weighted by its area) whose faces lie within
// `creaseAngle` of its own triangle's, so that curved surfaces are smooth and sharper edges
// stay sharp. Corners are at one place when their positions print alike.
void makeMissingNormals(std::vector<SourceTriangle> &triangles) {
    std::vector<Vec3> areaNormals(triangles.size()), unitNormals(triangles.size());
    std::unordered_map<std::string, std::vector<size_t>> trianglesAt;
    bool missing = false;
    for (size_t t = 0; t < triangles.size(); t++) {
        const SourceTriangle &tri = triangles[t];
        areaNormals[t] =
            cross(tri[1].position - tri[0].position, tri[2].position - tri[0].position);
        unitNormals[t] = unit(areaNormals[t], {0, 0, 0});
        for (const SourceCorner &c : tri) {
            trianglesAt[positionText(rounded(c.position))].push_back(t);
            missing = missing || !c.hasNormal;
        }
    }
    if (!missing) {
        return;
    }
    const double smallestCosine = std::cos(creaseAngle * M_PI / 180.0);
    for (size_t t = 0; t < triangles.size(); t++) {
        for (SourceCorner &c : triangles[t]) {
            if (c.hasNormal) {
                continue;
            }
            Vec3 sum;
            for (const size_t other : trianglesAt[positionText(rounded(c.position))]) {
                if (dot(unitNormals[other], unitNormals[t]) >= smallestCosine) {
                    sum = sum + areaNormals[other];
                }
            }
            c.normal = unit(sum, unitNormals[t]);
            c.hasNormal = true;
        }
    }
}

// The dialect's lists from the imported triangles. A corner without a normal of its own gets
// its triangle's; a model without texture coordinates gets the one texture vertex (0, 0).
// Triangles whose corners print alike (too small to see) are left out.
Mesh buildMesh(const std::vector<SourceTriangle> &triangles) {
    RecordList<Vec3> positions, normals;
    RecordList<std::array<double, 2>> texcoords;
    Mesh mesh;
    for (const SourceTriangle &t : triangles) {
        const Vec3 faceNormal =
            unit(cross(t[1].position - t[0].position, t[2].position - t[0].position), {0, 1, 0});
        Face face;
        for (size_t k = 0; k < 3; k++) {
            const SourceCorner &c = t[k];
            const Vec3 p = rounded(c.position);
            face[k].v = positions.add(positionText(p), p);
            const std::array<double, 2> uv = {rounded(c.hasUv ? c.u : 0),
                                              rounded(c.hasUv ? c.v : 0)};
            face[k].vt = texcoords.add(texcoordText(uv), uv);
            const Vec3 n = rounded(unit(c.normal, faceNormal));
            face[k].vn = normals.add(normalText(n), n);
        }
        if (face[0].v != face[1].v && face[1].v != face[2].v && face[0].v != face[2].v) {
            mesh.faces.push_back(face);
        }
    }
    mesh.positions = positions.take();
    mesh.texcoords = texcoords.take();
    mesh.normals = normals.take();
    return mesh;
}

bool fits(const Mesh &mesh) {
    return mesh.positions.size() <= vertexLimit && mesh.texcoords.size() <= vertexLimit &&
           mesh.normals.size() <= vertexLimit && mesh.faces.size() <= faceLimit;
}

std::string sizeOf(const Mesh &mesh) {
    return counted(static_cast<long long>(mesh.positions.size()), "vertex", "vertices") + ", " +
           counted(static_cast<long long>(mesh.texcoords.size()), "texture vertex",
                   "texture vertices") +
           ", " + counted(static_cast<long long>(mesh.normals.size()), "normal", "normals") + ", " +
           counted(static_cast<long long>(mesh.faces.size()), "triangle", "triangles");
}

// Simplifies the triangles (as numbers into `positions`) until at most `faceLimit` remain and
// they use at most `vertexLimit` positions. Returns the corners' position numbers, three a
// triangle, or nothing when it cannot get there.
std::vector<unsigned> simplifyIndices(const std::vector<unsigned> &indices,
                                      const std::vector<float> &positions) {
    const size_t vertexCount = positions.size() / 3;
    size_t target = std::min(indices.size() / 3, faceLimit);
    std::vector<unsigned> result(indices.size());
    for (int attempt = 0; attempt < simplifyAttempts && target > 0; attempt++) {
        size_t count =
            meshopt_simplify(result.data(), indices.data(), indices.size(), positions.data(),
                             vertexCount, 3 * sizeof(float), target * 3, simplifyError, 0, nullptr);
        // Borders and seams that it will not collapse can keep it above the target: then
        // merge by position on a grid instead.
        if (count / 3 > target) {
            count = meshopt_simplifySloppy(result.data(), indices.data(), indices.size(),
                                           positions.data(), vertexCount, 3 * sizeof(float),
                                           target * 3, simplifyError, nullptr);
        }
        std::vector<bool> used(vertexCount, false);
        size_t usedCount = 0;
        for (size_t i = 0; i < count; i++) {
            if (!used[result[i]]) {
                used[result[i]] = true;
                usedCount++;
            }
        }
        const size_t faceCount = count / 3;
        if (faceCount > 0 && faceCount <= faceLimit && usedCount <= vertexLimit) {
            result.resize(count);
            return result;
        }
        // Aim lower, by as much as the vertices or the faces are still over, and a little more.
        double share = targetMargin;
        if (usedCount > vertexLimit) {
            share = std::min(share, targetMargin * static_cast<double>(vertexLimit) /
                                        static_cast<double>(usedCount));
        }
        if (faceCount > faceLimit) {
            share = std::min(share, targetMargin * static_cast<double>(faceLimit) /
                                        static_cast<double>(faceCount));
        }
        target = static_cast<size_t>(
            static_cast<double>(std::min(target, std::max<size_t>(faceCount, 1))) * share);
    }
    return {};
}

// Brings `mesh` within the viewer's capacity: fewer triangles where there are too many
// triangles or vertices, and one normal and one texture vertex per vertex (smooth shading).
// Returns false when it cannot.
bool fitToCapacity(Mesh &mesh) {
    const size_t vertexCount = mesh.positions.size();
    // Each vertex's normal: the sum of its corners' normals; its texture vertex: the first.
    std::vector<Vec3> normalSums(vertexCount);
    std::vector<size_t> texcoordOf(vertexCount, 0);
    std::vector<bool> seen(vertexCount, false);
    std::vector<unsigned> indices;
    indices.reserve(mesh.faces.size() * 3);
    for (const Face &face : mesh.faces) {
        for (const Corner &c : face) {
            normalSums[c.v] = normalSums[c.v] + mesh.normals[c.vn];
            if (!seen[c.v]) {
                seen[c.v] = true;
                texcoordOf[c.v] = c.vt;
            }
            indices.push_back(static_cast<unsigned>(c.v));
        }
    }
    std::vector<unsigned> kept = indices;
    if (mesh.faces.size() > faceLimit || vertexCount > vertexLimit) {
        std::vector<float> positions;
        positions.reserve(vertexCount * 3);
        for (const Vec3 &p : mesh.positions) {
            positions.insert(positions.end(), {static_cast<float>(p.x), static_cast<float>(p.y),
                                               static_cast<float>(p.z)});
        }
        kept = simplifyIndices(indices, positions);
        if (kept.empty()) {
            return false;
        }
    }
    // The kept triangles, renumbered, each vertex with its one normal and texture vertex.
    RecordList<Vec3> positions, normals;
    RecordList<std::array<double, 2>> texcoords;
    std::vector<Face> keptFaces;
    for (size_t i = 0; i + 2 < kept.size(); i += 3) {
        const Vec3 faceNormal = unit(cross(mesh.positions[kept[i + 1]] - mesh.positions[kept[i]],
                                           mesh.positions[kept[i + 2]] - mesh.positions[kept[i]]),
                                     {0, 1, 0});
        Face face;
        for (size_t k = 0; k < 3; k++) {
            const unsigned v = kept[i + k];
            const Vec3 &p = mesh.positions[v];
            face[k].v = positions.add(positionText(p), p);
            const std::array<double, 2> &uv = mesh.texcoords[texcoordOf[v]];
            face[k].vt = texcoords.add(texcoordText(uv), uv);
            const Vec3 n = rounded(unit(normalSums[v], faceNormal));
            face[k].vn = normals.add(normalText(n), n);
        }
        if (face[0].v != face[1].v && face[1].v != face[2].v && face[0].v != face[2].v) {
            keptFaces.push_back(face);
        }
    }
    mesh.positions = positions.take();
    mesh.texcoords = texcoords.take();
    mesh.normals = normals.take();
    mesh.faces = std::move(keptFaces);
    return !mesh.faces.empty() && fits(mesh);
}

// The model file: a comment, the three lists, the faces, and the end marker.
std::string dialectText(const Mesh &mesh, double scale) {
    // Comment lines stay well within the viewer's 126 characters a line.
    std::string text = "# The robot's head, written by robot-import.\n";
    text += "# " + sizeOf(mesh) + ".\n";
    text += "# Centred on the origin and scaled by " + general(scale) + " to " +
            general(modelHeight) + " units tall.\n";
    for (const Vec3 &p : mesh.positions) {
        text += "v " + positionText(p) + "\n";
    }
    for (const std::array<double, 2> &t : mesh.texcoords) {
        text += "vt " + texcoordText(t) + "\n";
    }
    for (const Vec3 &n : mesh.normals) {
        text += "vn " + normalText(n) + "\n";
    }
    for (const Face &face : mesh.faces) {
        // Nine numbers below the viewer's capacity: the line always fits.
        char line[128];
        (void)std::snprintf(line, sizeof line, "f %zu/%zu/%zu %zu/%zu/%zu %zu/%zu/%zu\n",
                            face[0].v + 1, face[0].vt + 1, face[0].vn + 1, face[1].v + 1,
                            face[1].vt + 1, face[1].vn + 1, face[2].v + 1, face[2].vt + 1,
                            face[2].vn + 1);
        text += line;
    }
    text += "@\n";
    return text;
}

} // namespace

int importModel(const std::string &input, const std::string &output, const ModelOptions &options) {
    if (!checkInputAndOutput(input, output)) {
        return exitFailed;
    }
    Assimp::Importer importer;
    // Points and lines are dropped; so are triangles with two corners in one place.
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE,
                                aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    importer.SetPropertyBool(AI_CONFIG_PP_FD_REMOVE, true);
    importer.SetPropertyFloat(AI_CONFIG_PP_GSN_MAX_SMOOTHING_ANGLE, creaseAngle);
    const aiScene *scene = importer.ReadFile(input, importSteps);
    if (scene == nullptr) {
        complain(input + ": cannot read it as a model: " + importer.GetErrorString());
        return exitFailed;
    }
    std::vector<SourceTriangle> triangles = collectTriangles(*scene);
    if (triangles.empty()) {
        complain(input + ": holds no triangles (no faces, only points and lines, or only triangles "
                         "without area)");
        return exitFailed;
    }
    for (const SourceTriangle &t : triangles) {
        for (const SourceCorner &c : t) {
            if (!finite(c.position)) {
                complain(input + ": holds coordinates that are not finite numbers");
                return exitFailed;
            }
        }
    }
    const double scale = centreAndScale(triangles, options.zUp);
    if (scale == 0) {
        complain(input + ": has no size: all its vertices are in one place");
        return exitFailed;
    }
    makeMissingNormals(triangles);
    Mesh mesh = buildMesh(triangles);
    if (mesh.faces.empty()) {
        complain(input + ": holds no triangles large enough to see");
        return exitFailed;
    }
    if (!fits(mesh)) {
        const std::string was = sizeOf(mesh);
        const std::string limits = "the viewer holds at most " + withCommas(vertexLimit) +
                                   " vertices, texture vertices and normals, and " +
                                   withCommas(faceLimit) + " triangles";
        if (!options.simplify) {
            complain(input + ": too large for the viewer: " + was + "; " + limits +
                     " (leave out --no-simplify to simplify it)");
            return exitFailed;
        }
        const size_t before = mesh.faces.size();
        if (!fitToCapacity(mesh)) {
            complain(input + ": too large for the viewer (" + was +
                     ") and cannot be simplified to fit; " + limits);
            return exitFailed;
        }
        if (mesh.faces.size() < before) {
            complain(input + ": simplified from " + withCommas(static_cast<long long>(before)) +
                     " to " + withCommas(static_cast<long long>(mesh.faces.size())) +
                     " triangles to fit in the viewer (" + was + " before; " + limits + ")");
        } else {
            complain(input +
                     ": gave each vertex one normal and one texture vertex to fit in the viewer (" +
                     was + " before; " + limits + ")");
        }
    }
    if (!writeOutput(output, dialectText(mesh, scale))) {
        return exitFailed;
    }
    std::printf("%s: %s; centred, %g units tall\n", output.c_str(), sizeOf(mesh).c_str(),
                modelHeight);
    return exitDone;
}
