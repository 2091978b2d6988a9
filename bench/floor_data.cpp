// The same-drawing floor's data, made with robot's own model reader, model walk and image
// reader, so that the floor hands OpenGL exactly what robot hands it.
#include "floor_data.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

#include "assets/model.h"
#include "assets/texture.h"

namespace {

// Where walkModel's corners go.
std::vector<float> *cornerSink = nullptr;

void keepCorner(const float *normal, const float *texture, const float *position) {
    const float corner[8] = {normal[1],  normal[2],   normal[3],   texture[1],
                             texture[2], position[1], position[2], position[3]};
    cornerSink->insert(cornerSink->end(), corner, corner + 8);
}

// Runs `body` with `dir` as the working directory, and goes back afterwards.
template <typename Body> void inDirectory(const std::string &dir, Body body) {
    char here[4096];
    if (getcwd(here, sizeof here) == nullptr || chdir(dir.c_str()) != 0) {
        throw std::runtime_error("cannot change to " + dir);
    }
    try {
        body();
    } catch (...) {
        (void)!chdir(here);
        throw;
    }
    if (chdir(here) != 0) {
        throw std::runtime_error(std::string("cannot change back to ") + here);
    }
}

void writeBytes(const std::string &path, const void *bytes, size_t size) {
    std::FILE *file = std::fopen(path.c_str(), "wb");
    const bool ok = file != nullptr && std::fwrite(bytes, 1, size, file) == size;
    if (file == nullptr || std::fclose(file) != 0 || !ok) {
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace

void makeFloorData(const std::string &dir, FloorData &data) {
    inDirectory(dir, [&data] {
        loadModel();
        data.corners.clear();
        cornerSink = &data.corners;
        walkModel(loadedSlot, keepCorner);
        cornerSink = nullptr;
        data.faceCount = static_cast<int>(data.corners.size() / (size_t{3} * 8));

        unsigned char *pixels = nullptr;
        if (bitmapRead(wallImageFile, &data.imageWidth, &data.imageHeight, &pixels) != 0) {
            throw std::runtime_error("cannot read the wall image");
        }
        data.pixels.assign(pixels, pixels + static_cast<size_t>(data.imageWidth) *
                                                static_cast<size_t>(data.imageHeight) * 3);
        std::free(pixels);
    });
}

void writeFloorData(const std::string &dir) {
    FloorData data;
    makeFloorData(dir, data);
    std::vector<unsigned char> mesh(sizeof(int32_t) + data.corners.size() * sizeof(float));
    const int32_t faceCount = data.faceCount;
    std::copy_n(reinterpret_cast<const unsigned char *>(&faceCount), sizeof faceCount,
                mesh.begin());
    std::copy_n(reinterpret_cast<const unsigned char *>(data.corners.data()),
                data.corners.size() * sizeof(float), mesh.begin() + sizeof faceCount);
    writeBytes(dir + "/" + floorMeshFile, mesh.data(), mesh.size());

    std::vector<unsigned char> image(2 * sizeof(int32_t) + data.pixels.size());
    const int32_t sides[2] = {data.imageWidth, data.imageHeight};
    std::copy_n(reinterpret_cast<const unsigned char *>(sides), sizeof sides, image.begin());
    std::copy_n(data.pixels.begin(), data.pixels.size(), image.begin() + sizeof sides);
    writeBytes(dir + "/" + floorImageFile, image.data(), image.size());
}
