// The frame probe: a small library, built only for the benchmarks, that is preloaded
// (LD_PRELOAD) into a GLUT program to time its frames without changing the program. It defines
// glXSwapBuffers, which freeglut's glutSwapBuffers calls, hands every call on to the real one
// and notes when each swap returned. After a given number of frames, or of seconds, it writes
// what it saw to a report file and ends the process with exit status 0.
//
// Settings, from the environment:
//   ROBOT_BENCH_REPORT       path of the report file (required: without it the probe only
//                            forwards)
//   ROBOT_BENCH_FRAMES       end the process after this many swaps (0: no limit)
//   ROBOT_BENCH_SECONDS      end it at the first swap this many seconds after the first swap
//                            (0: no limit)
//   ROBOT_BENCH_STALL_FRAME  after this swap (counted from 1), stall the program ...
//   ROBOT_BENCH_STALL_MS     ... for this many milliseconds, as a slow frame would
//
// The report is plain text, one item per line: "key value", then one line per swap,
// "swap WALL_NS CPU_NS": CLOCK_MONOTONIC (comparable with the launcher's clock) and the
// process's CPU time (all threads) when the swap returned, in nanoseconds.
#include <GL/gl.h>
#include <GL/glx.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <malloc.h> // mallinfo2: the heap in use
#include <unistd.h>

namespace {

// Swaps noted at most; later ones are counted but not noted (20 minutes at 20 frames a second).
constexpr int swapCapacity = 24000;

struct Swap {
    long long wallNs; // CLOCK_MONOTONIC when the swap returned
    long long cpuNs;  // CPU time of the whole process by then
};

// The settings, read at the first swap.
struct Settings {
    bool read = false;
    const char *reportPath = nullptr;
    long frameLimit = 0;
    double secondsLimit = 0;
    long stallFrame = 0;
    long stallMs = 0;
};

Settings settings;
Swap swaps[swapCapacity];
long swapCount = 0;
// The renderer, asked at the first swap while the program's context is current.
char renderer[256] = "";
char version[256] = "";

long long clockNs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

long numberFromEnvironment(const char *name) {
    const char *text = getenv(name);
    return text != nullptr ? strtol(text, nullptr, 10) : 0;
}

void readSettings() {
    settings.read = true;
    settings.reportPath = getenv("ROBOT_BENCH_REPORT");
    settings.frameLimit = numberFromEnvironment("ROBOT_BENCH_FRAMES");
    const char *seconds = getenv("ROBOT_BENCH_SECONDS");
    settings.secondsLimit = seconds != nullptr ? strtod(seconds, nullptr) : 0;
    settings.stallFrame = numberFromEnvironment("ROBOT_BENCH_STALL_FRAME");
    settings.stallMs = numberFromEnvironment("ROBOT_BENCH_STALL_MS");
}

// Copies `from` ("?" when null) into `to`, cut to its `capacity`; empty if the copy fails.
void copyString(char *to, size_t capacity, const GLubyte *from) {
    const char *text = from != nullptr ? reinterpret_cast<const char *>(from) : "?";
    if (snprintf(to, capacity, "%s", text) < 0) {
        to[0] = '\0';
    }
}

// The value in kB of a "Name:   value kB" line of /proc/self/status, or -1.
long statusKb(const char *status, const char *name) {
    const char *line = strstr(status, name);
    return line != nullptr ? strtol(line + strlen(name), nullptr, 10) : -1;
}

void writeAll(int fd, const char *text, size_t length) {
    while (length > 0) {
        const ssize_t written = write(fd, text, length);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        text += written;
        length -= static_cast<size_t>(written);
    }
}

// Writes the text that snprintf made in `line` (a buffer of `capacity` bytes; `length` as
// snprintf returned it): only what the buffer holds, and nothing when snprintf failed.
void writeFormatted(int fd, const char *line, size_t capacity, int length) {
    if (length > 0) {
        const size_t made = static_cast<size_t>(length);
        writeAll(fd, line, made < capacity ? made : capacity - 1);
    }
}

void writeReport() {
    if (settings.reportPath == nullptr) {
        return;
    }
    const int fd = open(settings.reportPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return;
    }
    char status[8192] = "";
    const int statusFd = open("/proc/self/status", O_RDONLY);
    if (statusFd >= 0) {
        const ssize_t n = read(statusFd, status, sizeof status - 1);
        status[n > 0 ? n : 0] = '\0';
        close(statusFd);
    }
    const struct mallinfo2 heap = mallinfo2();
    // Holds the longest header: the two names (255 characters at most each), four numbers of
    // 20 characters at most and the keys.
    char line[1024];
    writeFormatted(fd, line, sizeof line,
                   snprintf(line, sizeof line,
                            "renderer %s\nversion %s\nswaps %ld\npeak_rss_kb %ld\nrss_kb %ld\n"
                            "heap_in_use_bytes %zu\n",
                            renderer, version, swapCount, statusKb(status, "VmHWM:"),
                            statusKb(status, "VmRSS:"), heap.uordblks + heap.hblkhd));
    const long noted = swapCount < swapCapacity ? swapCount : swapCapacity;
    for (long i = 0; i < noted; i++) {
        writeFormatted(
            fd, line, sizeof line,
            snprintf(line, sizeof line, "swap %lld %lld\n", swaps[i].wallNs, swaps[i].cpuNs));
    }
    close(fd);
}

bool finished() {
    if (settings.frameLimit > 0 && swapCount >= settings.frameLimit) {
        return true;
    }
    if (settings.secondsLimit > 0 && swapCount > 1) {
        const long last = (swapCount < swapCapacity ? swapCount : swapCapacity) - 1;
        const double seconds = static_cast<double>(swaps[last].wallNs - swaps[0].wallNs) / 1e9;
        return seconds >= settings.secondsLimit;
    }
    return false;
}

} // namespace

// The parameters named as GLX's declaration names them.
extern "C" void glXSwapBuffers(Display *dpy, GLXDrawable drawable) {
    using SwapFunction = void (*)(Display *, GLXDrawable);
    static const auto real = reinterpret_cast<SwapFunction>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    real(dpy, drawable);
    if (swapCount < swapCapacity) {
        swaps[swapCount] = {clockNs(CLOCK_MONOTONIC), clockNs(CLOCK_PROCESS_CPUTIME_ID)};
    }
    swapCount++;
    if (!settings.read) {
        readSettings();
        // The program's context is still current.
        copyString(renderer, sizeof renderer, glGetString(GL_RENDERER));
        copyString(version, sizeof version, glGetString(GL_VERSION));
    }
    if (settings.stallMs > 0 && swapCount == settings.stallFrame) {
        const timespec stall{settings.stallMs / 1000, (settings.stallMs % 1000) * 1000000L};
        nanosleep(&stall, nullptr);
    }
    if (finished()) {
        writeReport();
        // As the program's own Esc key does: atexit handlers and destructors run.
        exit(0);
    }
}
