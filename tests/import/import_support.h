// Support for the tests of robot-import: running the real tool, writing the pictures it reads,
// and reading what it wrote with the program's own readers.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a run of robot-import gave.
struct ToolRun {
    bool exited = false; // it ended normally, in time
    int status = -1;     // its exit status
    std::string out, err;
};

// Runs robot-import with `args` in `workDir` and waits for it to end.
ToolRun runImport(const std::vector<std::string> &args, const std::string &workDir);

// The names of the files in `dir`, sorted, hidden ones included.
std::vector<std::string> filesIn(const std::string &dir);

using Rgb = std::array<uint8_t, 3>;

// A picture, `width` x `height`, rows from the top: the colour of each pixel.
struct Picture {
    int width = 0, height = 0;
    std::function<Rgb(int x, int y)> colour;
};

// Writes `picture` as a PNG; as a JPEG of `quality` (1 to 100); as a TGA; as an ordinary BMP
// (blue, green, red, rows padded to 4 bytes, bottom row first).
void writePng(const std::string &path, const Picture &picture);
void writeJpeg(const std::string &path, const Picture &picture, int quality);
void writeTga(const std::string &path, const Picture &picture);
void writeBmp(const std::string &path, const Picture &picture);

// Runs in `dir` as the working directory while it lives.
class WorkingDirectory {
  public:
    explicit WorkingDirectory(const std::string &dir);
    ~WorkingDirectory();
    WorkingDirectory(const WorkingDirectory &) = delete;
    WorkingDirectory &operator=(const WorkingDirectory &) = delete;

  private:
    std::string previous_;
};
