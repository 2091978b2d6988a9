// robot-import: the commands that bring users' own models and pictures into the two files the
// viewer reads, "head.obj" and "wall7.bmp", and the check of what the viewer will make of them.
#pragma once

#include <string>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// Exit statuses: done (or, for check, both files are fine); failed (or, for check, the viewer
// would not show the files as they mean); the command line was wrong.
constexpr int exitDone = 0;
constexpr int exitFailed = 1;
constexpr int exitUsage = 2;

// The program's name, as it starts every message on standard error.
constexpr const char *programName = "robot-import";

// ---------------------------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------------------------

struct ModelOptions {
    // The model's up is its z axis (as in many CAD and 3D-printing files), not its y axis.
    bool zUp = false;
    // Simplify a model that is larger than the viewer holds; when false, refuse it instead.
    bool simplify = true;
};

// Reads the model file `input` in any format that the Open Asset Import Library reads and
// writes it to `output` in the viewer's dialect, centred and scaled to the viewer's size.
// Returns an exit status.
int importModel(const std::string &input, const std::string &output, const ModelOptions &options);

struct TextureOptions {
    // Make the picture upright on the floor (as seen from the viewer's place) instead of on the
    // back wall.
    bool floor = false;
};

// Reads the picture `input` (PNG, JPEG, BMP, TGA, GIF, ...) and writes it to `output` as the
// 24-bit BMP the viewer loads, resampled to power-of-two sides. Returns an exit status.
int importTexture(const std::string &input, const std::string &output,
                  const TextureOptions &options);

// Reads "head.obj" and "wall7.bmp" in `dir` with the viewer's own reading code and reports on
// standard output what the viewer will show. Returns exitDone when both files are fine and
// exitFailed when the viewer would not show them as they mean.
int checkAssets(const std::string &dir);

// ---------------------------------------------------------------------------------------------
// Shared helpers
// ---------------------------------------------------------------------------------------------

// A count written with thousands separators: 19,999.
std::string withCommas(long long count);

// "1 vertex", "2 vertices": the count with thousands separators and the noun in the right
// number.
std::string counted(long long count, const char *one, const char *many);

// Prints "robot-import: `message`" on standard error.
void complain(const std::string &message);

// Checks, before any work, that `input` is a regular file that can be read and that `output`
// is not the same file (nor a directory). Complains and returns false when it is not so.
bool checkInputAndOutput(const std::string &input, const std::string &output);

// Writes `bytes` to `path` through a temporary file in the same directory, renamed over `path`
// only once everything is written, so that a failure leaves no partial file and whatever
// `path` held before stays as it was. Complains and returns false on failure.
bool writeOutput(const std::string &path, const std::string &bytes);
