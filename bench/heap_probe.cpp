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

void writeText(int fd, const char *text, int length) {
    if (length > 0) {
        (void)!write(fd, text, static_cast<size_t>(length));
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
    char line[256];
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
            writeText(fd, line, snprintf(line, sizeof line, "block %zu\n", n.size));
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
        case Kind::Open: opens += n.address != nullptr; break;
        case Kind::Close: closes++; break;
        }
    }
    writeText(fd, line,
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
