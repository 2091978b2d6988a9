// The checks behind the fuzz targets and their replay: each input is written to a file of the
// name the program reads, read by the program's own reader, and the reader's results are compared
// with what the bytes themselves say.
#include "reader_checks.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h> // open
#include <string>
#include <unistd.h> // write, close, unlink, rmdir, chdir, fchdir

#include "assets/model.h"
#include "assets/texture.h"

// The exact size of a heap block, known under AddressSanitizer: clang's builds (the fuzz build)
// have the header that declares it, gcc's do not.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) && __has_include(<sanitizer/allocator_interface.h>)
#define ROBOT_CHECKS_BLOCK_SIZE 1
#include <sanitizer/allocator_interface.h>
#endif
#endif

namespace {

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// The model file's pieces: fgets with the reader's limit hands over at most this many bytes.
constexpr std::size_t pieceLength = lineReadLimit - 1;

// The image header and the fields of it that the reader uses.
constexpr std::size_t headerSize = 54;
constexpr std::size_t widthAt = 18;
constexpr std::size_t heightAt = 22;
constexpr std::size_t bitsPerPixelAt = 28;
constexpr std::int64_t largestPixelData = INT32_MAX;

// ---------------------------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------------------------

// The private directory that the inputs are written into, made on first use and removed at exit
// (a run that crashes leaves it: tools/fuzz.sh points TMPDIR at a directory that it removes);
// "" before. It is made in TMPDIR, else in /dev/shm, so that no input touches a disk, else in
// /tmp.
std::string scratch;
// The working directory to go back to after a reader has run in the scratch directory; -1 until
// the scratch directory is made.
int home = -1;

// What the walk over slot 1 saw: corners visited, corners whose records lay outside slot 1's
// arrays, and the sum of every element read (so that every read is a real one).
long cornersWalked = 0;
long cornersOutside = 0;
volatile float sumRead = 0.0f;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void removeScratch() {
    if (scratch.empty()) {
        return;
    }
    unlink((scratch + "/" + "head.obj").c_str());
    unlink((scratch + "/" + wallImageFile).c_str());
    rmdir(scratch.c_str());
}

// The scratch directory, made on the first call; "" when it cannot be made.
const std::string &scratchDir() {
    if (!scratch.empty()) {
        return scratch;
    }
    const char *tmp = std::getenv("TMPDIR");
    const std::string base = tmp != nullptr && *tmp != '\0'  ? tmp
                             : access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                             : "/tmp";
    std::string name = base + "/robot-fuzz-XXXXXX";
    if (mkdtemp(name.data()) == nullptr) {
        return scratch;
    }
    home = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (home < 0) {
        rmdir(name.c_str());
        return scratch;
    }
    scratch = name;
    if (std::atexit(removeScratch) != 0) {
        // It could not be removed at exit: do not leave it behind.
        removeScratch();
        scratch.clear();
    }
    return scratch;
}

// Writes the bytes to `name` in the scratch directory; "" or what went wrong.
std::string writeScratchFile(const char *name, const std::uint8_t *data, std::size_t size) {
    const std::string &dir = scratchDir();
    if (dir.empty()) {
        return "cannot make a scratch directory";
    }
    const std::string path = dir + "/" + name;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return "cannot write " + path;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            close(fd);
            return "cannot write " + path;
        }
        done += static_cast<std::size_t>(n);
    }
    close(fd);
    return "";
}

// The lowest free file descriptor: it changes when a reader leaves a file open. The number is
// what counts, not the descriptor, which is closed at once.
int lowestFreeDescriptor() {
    const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        close(fd);
    }
    // cppcheck-suppress deallocret
    return fd;
}

// What the reader must have counted, taken from the bytes: the file in pieces as fgets hands
// them over (up to and including a newline, at most pieceLength bytes), each classified by its
// first two bytes (the second is the terminating zero for a piece of one byte), up to the first
// piece that begins with '@'.
struct LineCounts {
    long long vertices = 0, textures = 0, normals = 0, faces = 0;
    bool endMarker = false;
};

LineCounts countLines(const std::uint8_t *data, std::size_t size) {
    LineCounts counts;
    std::size_t at = 0;
    while (at < size) {
        // memchr rather than a byte loop, which the fuzzer's instrumentation would slow down.
        const std::size_t window = std::min(pieceLength, size - at);
        const void *newline = std::memchr(data + at, '\n', window);
        const std::size_t length =
            newline == nullptr ? window
                               : static_cast<std::size_t>(
                                     static_cast<const std::uint8_t *>(newline) - (data + at)) +
                                     1;
        const char first = static_cast<char>(data[at]);
        const char second = length > 1 ? static_cast<char>(data[at + 1]) : '\0';
        at += length;
        if (first == '@') {
            counts.endMarker = true;
            break;
        }
        if (first == 'v') {
            if (second == 't') {
                counts.textures++;
            } else if (second == 'n') {
                counts.normals++;
            } else {
                counts.vertices++;
            }
        }
        if (first == 'f') {
            counts.faces++;
        }
    }
    return counts;
}

// Compared block by block with memcmp: a byte loop would be instrumented for the fuzzer's
// coverage, and slot 0 alone is 1.7 MB.
bool allZero(const void *bytes, std::size_t size) {
    static const unsigned char zeros[4096] = {};
    const auto *p = static_cast<const unsigned char *>(bytes);
    for (std::size_t at = 0; at < size; at += sizeof zeros) {
        if (std::memcmp(p + at, zeros, std::min(sizeof zeros, size - at)) != 0) {
            return false;
        }
    }
    return true;
}

// Whether `record` is the start of a record of `count` records of `elements` floats at `first`.
bool isRecordOf(const float *record, const float *first, std::size_t count, std::size_t elements) {
    const auto at = reinterpret_cast<std::uintptr_t>(record);
    const auto begin = reinterpret_cast<std::uintptr_t>(first);
    const std::uintptr_t stride = elements * sizeof(float);
    return at >= begin && at < begin + count * stride && (at - begin) % stride == 0;
}

// The model list's corner, without OpenGL: checks that each record lies in slot 1 and reads it
// as sendCorner does.
void visitCorner(const float *normal, const float *texture, const float *position) {
    cornersWalked++;
    if (!isRecordOf(normal, &Nvector[loadedSlot][0][0], vertexCapacity, 4) ||
        !isRecordOf(texture, &Tvertex[loadedSlot][0][0], vertexCapacity, 3) ||
        !isRecordOf(position, &vertex[loadedSlot][0][0], vertexCapacity, 4)) {
        cornersOutside++;
        return;
    }
    sumRead = sumRead + normal[1] + normal[2] + normal[3] + texture[1] + texture[2] + position[1] +
              position[2] + position[3];
}

// The entry after the last one stored of a kind, when there is one: it must hold zeros.
int entryAfter(int count, int capacity) {
    return std::min(count, capacity - 1) + 1;
}

std::string checkStore() {
    if (in != nullptr) {
        return "the reader left `in` set";
    }
    if (err != 0 && err != 1) {
        return "end flag " + std::to_string(err);
    }
    if (i1 < 0 || i2 < 0 || i3 < 0 || i4 < 0) {
        return "a negative count";
    }
    if (f_celkem[loadedSlot] != std::min(i4, faceCapacity - 1)) {
        return "face count " + std::to_string(f_celkem[loadedSlot]) + " for " + std::to_string(i4) +
               " face lines";
    }
    if (f_celkem[0] != 0) {
        return "slot 0 has a face count";
    }
    // Entry 0 is what out-of-range face numbers read: it must hold zeros.
    if (!allZero(vertex[loadedSlot][0], sizeof vertex[loadedSlot][0]) ||
        !allZero(Tvertex[loadedSlot][0], sizeof Tvertex[loadedSlot][0]) ||
        !allZero(Nvector[loadedSlot][0], sizeof Nvector[loadedSlot][0]) ||
        !allZero(faces[loadedSlot][0], sizeof faces[loadedSlot][0])) {
        return "entry 0 of slot 1 was written";
    }
    // Slot 0 lies right before slot 1 in every array and is never written.
    if (!allZero(vertex[0], sizeof vertex[0]) || !allZero(Tvertex[0], sizeof Tvertex[0]) ||
        !allZero(Nvector[0], sizeof Nvector[0]) || !allZero(faces[0], sizeof faces[0])) {
        return "slot 0 was written";
    }
    // Nothing is stored beyond the counts.
    const int v = entryAfter(i1, vertexCapacity);
    const int t = entryAfter(i2, vertexCapacity);
    const int n = entryAfter(i3, vertexCapacity);
    const int f = entryAfter(i4, faceCapacity);
    if ((v < vertexCapacity && !allZero(vertex[loadedSlot][v], sizeof vertex[loadedSlot][v])) ||
        (t < vertexCapacity && !allZero(Tvertex[loadedSlot][t], sizeof Tvertex[loadedSlot][t])) ||
        (n < vertexCapacity && !allZero(Nvector[loadedSlot][n], sizeof Nvector[loadedSlot][n])) ||
        (f < faceCapacity && !allZero(faces[loadedSlot][f], sizeof faces[loadedSlot][f]))) {
        return "a record stored beyond the count of its kind";
    }
    // Element 0 of a record and corner 0 of a face are never written.
    if (vertex[loadedSlot][v - 1][0] != 0.0f || Tvertex[loadedSlot][t - 1][0] != 0.0f ||
        Nvector[loadedSlot][n - 1][0] != 0.0f ||
        !allZero(faces[loadedSlot][f - 1][0], sizeof faces[loadedSlot][f - 1][0]) ||
        faces[loadedSlot][f - 1][1][0] != 0 || faces[loadedSlot][f - 1][2][0] != 0 ||
        faces[loadedSlot][f - 1][3][0] != 0) {
        return "element 0 of a record was written";
    }
    return "";
}

// What an image header says, taken here on its own: whether the reader must accept the file,
// and if so the size of the image and of its pixel data.
struct ImageHeader {
    bool acceptable = false;
    std::int64_t width = 0, height = 0, pixelBytes = 0;
};

std::int64_t signed32At(const std::uint8_t *data, std::size_t at) {
    const std::uint32_t u = data[at] | data[at + 1] << 8U | data[at + 2] << 16U |
                            static_cast<std::uint32_t>(data[at + 3]) << 24U;
    return static_cast<std::int32_t>(u);
}

ImageHeader readHeader(const std::uint8_t *data, std::size_t size) {
    ImageHeader header;
    if (size < headerSize) {
        return header;
    }
    header.width = signed32At(data, widthAt);
    header.height = signed32At(data, heightAt);
    const unsigned bits = data[bitsPerPixelAt] | data[bitsPerPixelAt + 1] << 8U;
    if (bits != 24 || header.width <= 0 || header.height <= 0) {
        return header;
    }
    // Both sides are below 2^31: their product is exact in 64 bits, and is compared with the
    // limit before it is multiplied by 3.
    const std::int64_t pixelCount = header.width * header.height;
    if (pixelCount > largestPixelData / 3) {
        return header;
    }
    header.pixelBytes = pixelCount * 3;
    header.acceptable = header.pixelBytes <= static_cast<std::int64_t>(size - headerSize);
    return header;
}

// The pixels read against the bytes after the header: the same bytes, in one heap block of
// exactly their size (where the block's size can be known).
std::string checkPixels(const unsigned char *pixels, const std::uint8_t *file,
                        std::int64_t pixelBytes) {
    const auto bytes = static_cast<std::size_t>(pixelBytes);
    if (std::memcmp(pixels, file, bytes) != 0) {
        return "the pixels are not the bytes after the header";
    }
#ifdef ROBOT_CHECKS_BLOCK_SIZE
    if (__sanitizer_get_allocated_size(pixels) != bytes) {
        return "the pixel buffer is not exactly as large as the pixel data";
    }
#endif
    return "";
}

} // namespace

std::string checkModelInput(const std::uint8_t *data, std::size_t size) {
    std::string failure = writeScratchFile("head.obj", data, size);
    if (!failure.empty()) {
        return failure;
    }
    // Each input starts from an empty store, whatever the one before left.
    clearModel(loadedSlot);
    const int freeBefore = lowestFreeDescriptor();
    if (chdir(scratch.c_str()) != 0) {
        return "cannot change to " + scratch;
    }
    loadModel();
    if (fchdir(home) != 0) {
        return "cannot change back to the working directory";
    }
    if (lowestFreeDescriptor() != freeBefore) {
        return "loadModel left a file open";
    }

    const LineCounts lines = countLines(data, size);
    if (i1 != lines.vertices || i2 != lines.textures || i3 != lines.normals || i4 != lines.faces) {
        return "counts " + std::to_string(i1) + " " + std::to_string(i2) + " " +
               std::to_string(i3) + " " + std::to_string(i4) + " for lines " +
               std::to_string(lines.vertices) + " " + std::to_string(lines.textures) + " " +
               std::to_string(lines.normals) + " " + std::to_string(lines.faces);
    }
    if (err != (lines.endMarker ? 1 : 0)) {
        return lines.endMarker ? "end marker missed" : "end marker where there is none";
    }
    failure = checkStore();
    if (!failure.empty()) {
        return failure;
    }

    cornersWalked = 0;
    cornersOutside = 0;
    walkModel(loadedSlot, visitCorner);
    if (cornersWalked != 3L * f_celkem[loadedSlot]) {
        return "walked " + std::to_string(cornersWalked) + " corners of " +
               std::to_string(f_celkem[loadedSlot]) + " faces";
    }
    if (cornersOutside != 0) {
        return std::to_string(cornersOutside) + " corners read outside slot 1";
    }
    return "";
}

std::string checkBitmapInput(const std::uint8_t *data, std::size_t size) {
    std::string failure = writeScratchFile(wallImageFile, data, size);
    if (!failure.empty()) {
        return failure;
    }
    const std::string path = scratch + "/" + wallImageFile;
    const ImageHeader expected = readHeader(data, size);

    // Sentinels: a refused file must leave all three as they are.
    int width = -7;
    int height = -7;
    unsigned char sentinel = 0;
    unsigned char *pixels = &sentinel;
    const int freeBefore = lowestFreeDescriptor();
    const int result = bitmapRead(path.c_str(), &width, &height, &pixels);
    const bool fileLeftOpen = lowestFreeDescriptor() != freeBefore;

    if (result != 0) {
        if (fileLeftOpen) {
            return "bitmapRead left a file open";
        }
        if (result != -1) {
            return "bitmapRead returned " + std::to_string(result);
        }
        if (width != -7 || height != -7 || pixels != &sentinel) {
            return "a refused image set the results";
        }
        return expected.acceptable ? "a good image was refused" : "";
    }
    if (fileLeftOpen) {
        failure = "bitmapRead left a file open";
    } else if (!expected.acceptable) {
        failure = "an image was accepted that must be refused";
    } else if (width != expected.width || height != expected.height) {
        failure = "size " + std::to_string(width) + " x " + std::to_string(height) +
                  " for a header of " + std::to_string(expected.width) + " x " +
                  std::to_string(expected.height);
    } else if (pixels == nullptr || pixels == &sentinel) {
        failure = "no pixel buffer";
    } else {
        failure = checkPixels(pixels, data + headerSize, expected.pixelBytes);
    }
    if (pixels != &sentinel) {
        std::free(pixels);
    }
    return failure;
}
