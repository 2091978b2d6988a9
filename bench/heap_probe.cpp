// The heap probe, linked into robot_heapcheck: robot's own code (src/main.cpp and robot_core)
// with the linker's --wrap options sending its calls of the allocation functions, of fopen and
// fclose, and of glTexImage2D here, and only its calls: the shared libraries' allocations do
// not pass. Each call is noted in order; when the process ends (the frame probe ends it after a
// number of frames) the probe writes to ROBOT_BENCH_HEAP_REPORT what the program's own code
// allocated, how many blocks were alive at once, whether each block was released right after
// the upload of its pixels, and what was left allocated or open.
//
// Nothing here allocates: the notes are a fixed array, the report goes out through write().
#include <GL/gl.h>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace {

enum class Kind { Allocate, Free, Upload, Open, Close };

struct Note {
    Kind kind;
    const void *address; // the block, the uploaded pixels, or the file
    size_t size;         // bytes allocated
};

// Calls noted at most; later ones are counted only.
constexpr int noteCapacity = 4096;
Note notes[noteCapacity];
int noteCount = 0;
int callCount = 0;

void note(Kind kind, const void *address, size_t size = 0) {
    if (noteCount < noteCapacity) {
        notes[noteCount++] = {kind, address, size};
    }
    callCount++;
}

// Writes the text that snprintf made in `line` (a buffer of `capacity` bytes; `length` as
// snprintf returned it): only what the buffer holds, and nothing when snprintf failed. Stops at
// a failed write: the report is then incomplete, and the launcher finds keys missing.
void writeText(int fd, const char *line, size_t capacity, int length) {
    if (length <= 0) {
        return;
    }
    size_t left =
        static_cast<size_t>(length) < capacity ? static_cast<size_t>(length) : capacity - 1;
    while (left > 0) {
        const ssize_t written = write(fd, line, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        line += written;
        left -= static_cast<size_t>(written);
    }
}

// Reads the notes back and writes the report.
__attribute__((destructor)) void writeReport() {
    const char *path = getenv("ROBOT_BENCH_HEAP_REPORT");
    if (path == nullptr) {
        return;
    }
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return;
    }
    int allocations = 0, frees = 0, uploads = 0, opens = 0, closes = 0;
    int live = 0, mostLive = 0;
    size_t bytes = 0, largest = 0;
    // Blocks released by the first free after the upload of their pixels, with no allocation
    // in between; and blocks that were not.
    int releasedAfterUpload = 0, releasedOtherwise = 0;
    const void *uploaded = nullptr;
    // Holds the longest text: the summary's keys and 13 numbers of 20 characters at most.
    char line[512];
    for (int i = 0; i < noteCount; i++) {
        const Note &n = notes[i];
        switch (n.kind) {
        case Kind::Allocate:
            allocations++;
            bytes += n.size;
            largest = n.size > largest ? n.size : largest;
            live++;
            mostLive = live > mostLive ? live : mostLive;
            uploaded = nullptr;
            writeText(fd, line, sizeof line, snprintf(line, sizeof line, "block %zu\n", n.size));
            break;
        case Kind::Free:
            if (n.address == nullptr) {
                break;
            }
            frees++;
            live--;
            if (n.address == uploaded) {
                releasedAfterUpload++;
            } else {
                releasedOtherwise++;
            }
            uploaded = nullptr;
            break;
        case Kind::Upload:
            uploads++;
            uploaded = n.address;
            break;
        case Kind::Open:
            // A failed fopen is noted too, with no file.
            if (n.address != nullptr) {
                opens++;
            }
            break;
        case Kind::Close: closes++; break;
        }
    }
    writeText(fd, line, sizeof line,
              snprintf(line, sizeof line,
                       "calls %d\nnoted %d\nallocations %d\nbytes %zu\nlargest %zu\n"
                       "most_live %d\nlive_at_exit %d\nfrees %d\nuploads %d\n"
                       "released_after_upload %d\nreleased_otherwise %d\nfiles_opened %d\n"
                       "files_closed %d\n",
                       callCount, noteCount, allocations, bytes, largest, mostLive, live, frees,
                       uploads, releasedAfterUpload, releasedOtherwise, opens, closes));
    close(fd);
}

} // namespace

// The linker's --wrap options send robot's own calls here, and these hand them on to the real
// functions (__real_...). The names are the linker's, reserved as they are.
// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" {

void *__real_malloc(size_t size);
void *__real_calloc(size_t count, size_t size);
void *__real_realloc(void *block, size_t size);
void __real_free(void *block);
FILE *__real_fopen(const char *path, const char *mode);
int __real_fclose(FILE *file);
void __real_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                         GLsizei height, GLint border, GLenum format, GLenum type,
                         const void *pixels);
void *__real__Znwm(size_t size);
void *__real__Znam(size_t size);

void *__wrap_malloc(size_t size) {
    void *block = __real_malloc(size);
    note(Kind::Allocate, block, size);
    return block;
}

void *__wrap_calloc(size_t count, size_t size) {
    void *block = __real_calloc(count, size);
    note(Kind::Allocate, block, count * size);
    return block;
}

void *__wrap_realloc(void *block, size_t size) {
    void *moved = __real_realloc(block, size);
    note(Kind::Free, block);
    note(Kind::Allocate, moved, size);
    return moved;
}

void __wrap_free(void *block) {
    note(Kind::Free, block);
    __real_free(block);
}

void *__wrap__Znwm(size_t size) {
    void *block = __real__Znwm(size);
    note(Kind::Allocate, block, size);
    return block;
}

void *__wrap__Znam(size_t size) {
    void *block = __real__Znam(size);
    note(Kind::Allocate, block, size);
    return block;
}

FILE *__wrap_fopen(const char *path, const char *mode) {
    FILE *file = __real_fopen(path, mode);
    note(Kind::Open, file);
    return file;
}

int __wrap_fclose(FILE *file) {
    note(Kind::Close, file);
    return __real_fclose(file);
}

void __wrap_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                         GLsizei height, GLint border, GLenum format, GLenum type,
                         const void *pixels) {
    __real_glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
    note(Kind::Upload, pixels);
}
}
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
