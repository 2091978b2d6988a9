// Support for the tests of robot-import: the real tool as a child process, PNG and JPEG files
// written with stb_image_write, and the working directory.
#include "import_support.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stb_image_write.h> // stbi_write_png, _jpg, _tga, _bmp
#include <stdexcept>
#include <unistd.h>

#include "process.h"

namespace {

// The longest a run may take: a large model is simplified in a few seconds, slower under the
// sanitizers.
constexpr int runTimeoutMs = 120000;

std::vector<unsigned char> pixelsOf(const Picture &picture) {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < picture.height; y++) {
        for (int x = 0; x < picture.width; x++) {
            const Rgb c = picture.colour(x, y);
            pixels.insert(pixels.end(), c.begin(), c.end());
        }
    }
    return pixels;
}

} // namespace

ToolRun runImport(const std::vector<std::string> &args, const std::string &workDir) {
    ChildProcess process(ROBOT_IMPORT_BINARY, args, workDir, "");
    ToolRun run;
    if (!process.waitForExit(runTimeoutMs)) {
        process.kill();
        run.err = process.standardError();
        return run;
    }
    run.exited = process.exitedNormally();
    run.status = process.exitStatus();
    run.out = process.standardOutput();
    run.err = process.standardError();
    return run;
}

std::vector<std::string> filesIn(const std::string &dir) {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void writePng(const std::string &path, const Picture &picture) {
    const std::vector<unsigned char> pixels = pixelsOf(picture);
    if (stbi_write_png(path.c_str(), picture.width, picture.height, 3, pixels.data(),
                       picture.width * 3) == 0) {
        throw std::runtime_error("cannot write " + path);
    }
}

void writeJpeg(const std::string &path, const Picture &picture, int quality) {
    const std::vector<unsigned char> pixels = pixelsOf(picture);
    if (stbi_write_jpg(path.c_str(), picture.width, picture.height, 3, pixels.data(), quality) ==
        0) {
        throw std::runtime_error("cannot write " + path);
    }
}

void writeTga(const std::string &path, const Picture &picture) {
    const std::vector<unsigned char> pixels = pixelsOf(picture);
    if (stbi_write_tga(path.c_str(), picture.width, picture.height, 3, pixels.data()) == 0) {
        throw std::runtime_error("cannot write " + path);
    }
}

void writeBmp(const std::string &path, const Picture &picture) {
    const std::vector<unsigned char> pixels = pixelsOf(picture);
    if (stbi_write_bmp(path.c_str(), picture.width, picture.height, 3, pixels.data()) == 0) {
        throw std::runtime_error("cannot write " + path);
    }
}

WorkingDirectory::WorkingDirectory(const std::string &dir) {
    char here[4096];
    if (getcwd(here, sizeof here) == nullptr || chdir(dir.c_str()) != 0) {
        throw std::runtime_error("cannot change to " + dir);
    }
    previous_ = here;
}

WorkingDirectory::~WorkingDirectory() {
    if (chdir(previous_.c_str()) != 0) {
        std::abort();
    }
}
