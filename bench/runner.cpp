// robot_bench_run: every benchmark figure of robot, measured side by side with its two floors,
// and a Markdown report of them (what `make bench` runs).
//
// Whole-process figures run the real programs, each with the frame probe preloaded (see
// frame_probe.cpp), on one private virtual X server, in interleaved rounds, so that a slow
// moment of the machine falls on all of them alike:
//   start-up  process start (the launcher's clock just before fork) to the first swapped frame,
//             and the process's CPU time by then, for robot with the shipped assets and with the
//             full-capacity model, for the same-drawing floor program with each, and for the
//             bare program;
//   memory    peak resident size after the first full-screen frames, from the same runs, and
//             the heap in use; and the allocations of robot's own code (robot_heapcheck);
//   cadence   the intervals between frames of the real event loop over ten seconds and more,
//             and the frames that follow a stall of half a second.
//   instructions  the instructions that one frame executes, counted by callgrind (repeatable
//             whatever the load), and how many of them are the program's own code.
// In-process figures (frame cost, loading) come from robot_bench (Google Benchmark), run from
// here.
//
// Usage: robot_bench_run [--out DIR] [--rounds N] [--cadence-seconds S] [--repetitions N]
//                        [--only startup,cadence,heap,instructions,frames] [--smoke]
// --smoke runs everything once, briefly, and only checks that every part works.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "floor_data.h"
#include "full_model.h"
#include "process.h"
#include "stats.h"
#include "xserver.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------------------------

// The screen of the private X server: robot's full-screen window is this size.
constexpr const char *screenGeometry = "1920x1080x24";

// Frames drawn in a start-up run before the probe ends it: the first (500 x 500) and the
// first full-screen ones, so that the peak resident size includes full-screen buffers.
constexpr int startupFrames = 3;

// The stall of the stall runs: after this frame, this long.
constexpr int stallFrame = 30;
constexpr int stallMs = 500;
// Seconds of a stall run.
constexpr double stallRunSeconds = 4.0;
// An interval shorter than this (half the timer's 50 ms) is a catch-up frame.
constexpr double catchUpMs = 25.0;

// The model store's size in bytes: 2 slots of 10,000 vertices (4 floats), normals (4 floats),
// texture vertices (3 floats), and 20,000 faces (16 ints), all of 4 bytes.
constexpr double modelStoreBytes = 2.0 * (10000 * (4 + 4 + 3) + 20000 * 16) * 4;

struct Options {
    std::string out = "bench-results";
    int rounds = 15;
    double cadenceSeconds = 10.5;
    int cadenceRounds = 2;
    int repetitions = 12;
    double minTime = 0.4;
    std::set<std::string> only;
    bool smoke = false;

    bool wants(const std::string &part) const { return only.empty() || only.count(part) > 0; }
};

// ---------------------------------------------------------------------------------------------
// Running a program with the frame probe
// ---------------------------------------------------------------------------------------------

long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// The number that `text` starts with (after blanks); NaN when it starts with none.
double leadingNumber(const char *text) {
    char *end = nullptr;
    const double value = std::strtod(text, &end);
    return end == text ? std::nan("") : value;
}

struct Run {
    bool ok = false;
    std::string problem; // why not ok
    long long startNs = 0;
    std::map<std::string, std::string> values; // report lines other than swaps
    std::vector<long long> swapWallNs, swapCpuNs;
    double childCpuMs = 0; // user + system, from wait4
    long maxRssKb = 0;     // from wait4

    // The number of a report line; NaN when the line is missing or holds no number.
    double number(const std::string &key) const {
        const auto it = values.find(key);
        return it == values.end() ? std::nan("") : leadingNumber(it->second.c_str());
    }
    // Milliseconds from the process start to the first swap.
    double firstFrameMs() const {
        return swapWallNs.empty() ? std::nan("")
                                  : static_cast<double>(swapWallNs[0] - startNs) / 1e6;
    }
    double firstFrameCpuMs() const {
        return swapCpuNs.empty() ? std::nan("") : static_cast<double>(swapCpuNs[0]) / 1e6;
    }
};

struct Launch {
    using Environment = std::vector<std::pair<std::string, std::string>>;
    Launch(std::string program_, std::string workDir_, Environment environment_,
           int timeoutMs_ = 30000, std::vector<std::string> arguments_ = {})
        : program(std::move(program_)), workDir(std::move(workDir_)),
          environment(std::move(environment_)), timeoutMs(timeoutMs_),
          arguments(std::move(arguments_)) {}

    std::string program;
    std::string workDir;
    Environment environment; // besides DISPLAY and the frame probe's
    int timeoutMs;
    std::vector<std::string> arguments; // after the program's name
};

void readReport(const std::string &path, Run &run) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t space = line.find(' ');
        if (space == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, space);
        const std::string value = line.substr(space + 1);
        if (key == "swap") {
            std::istringstream numbers(value);
            long long wall = 0, cpu = 0;
            if (numbers >> wall >> cpu) {
                run.swapWallNs.push_back(wall);
                run.swapCpuNs.push_back(cpu);
            }
        } else {
            run.values[key] = value;
        }
    }
}

class Runner {
  public:
    Runner(const std::string &display, const std::string &scratch)
        : display_(display), scratch_(scratch) {}

    // Runs `launch` with the frame probe preloaded and the probe's settings in `environment`.
    Run run(const Launch &launch) {
        const std::string report = scratch_ + "/report-" + std::to_string(count_++);
        const std::string errors = report + ".stderr";
        // The report read must be this run's. None of this name is in the fresh scratch
        // directory, and the probe truncates the file it writes: the removal only makes sure,
        // and fails, as it should, when there is nothing to remove.
        (void)std::remove(report.c_str());
        Run result;
        result.startNs = monotonicNs();
        const pid_t pid = fork();
        if (pid < 0) {
            throw std::runtime_error("fork failed");
        }
        if (pid == 0) {
            if (chdir(launch.workDir.c_str()) != 0 ||
                std::freopen("/dev/null", "w", stdout) == nullptr ||
                std::freopen(errors.c_str(), "w", stderr) == nullptr) {
                _exit(126);
            }
            setenv("DISPLAY", display_.c_str(), 1);
            setenv("LD_PRELOAD", FRAME_PROBE_LIBRARY, 1);
            setenv("ROBOT_BENCH_REPORT", report.c_str(), 1);
            for (const auto &[name, value] : launch.environment) {
                setenv(name.c_str(), value.c_str(), 1);
            }
            std::vector<char *> argv = {const_cast<char *>(launch.program.c_str())};
            for (const std::string &argument : launch.arguments) {
                argv.push_back(const_cast<char *>(argument.c_str()));
            }
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(launch.timeoutMs);
        while (true) {
            const pid_t done = wait4(pid, &status, WNOHANG, &usage);
            if (done == pid) {
                break;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                wait4(pid, &status, 0, &usage);
                result.problem = "timed out";
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        result.childCpuMs =
            static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
        result.maxRssKb = usage.ru_maxrss;
        readReport(report, result);
        if (result.problem.empty()) {
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                result.problem = "ended with status " + std::to_string(status);
            } else if (result.swapWallNs.empty()) {
                result.problem = "no report";
            }
        }
        if (!result.problem.empty()) {
            std::ifstream err(errors);
            std::stringstream text;
            text << err.rdbuf();
            result.problem += "; stderr: " + text.str().substr(0, 500);
        }
        result.ok = result.problem.empty();
        // Read and done with; a file that a failed removal leaves goes with the scratch directory.
        (void)std::remove(report.c_str());
        (void)std::remove(errors.c_str());
        return result;
    }

  private:
    std::string display_;
    std::string scratch_;
    int count_ = 0;
};

// In the child of runProgram: goes to `workDir` (unless empty), sends standard output into the
// pipe's end `toParent` and standard error to /dev/null (when `toParent` is not -1, closing
// `fromChild`), and becomes the program. Ends with status 126 when the set-up fails and 127
// when the program cannot be started, as a shell does.
[[noreturn]] void becomeProgram(const std::vector<char *> &argv, const std::string &workDir,
                                int fromChild, int toParent) {
    if (!workDir.empty() && chdir(workDir.c_str()) != 0) {
        _exit(126);
    }
    if (toParent >= 0) {
        const int nowhere = open("/dev/null", O_WRONLY);
        if (nowhere < 0 || dup2(toParent, STDOUT_FILENO) < 0 || dup2(nowhere, STDERR_FILENO) < 0) {
            _exit(126);
        }
        close(nowhere);
        close(fromChild);
        close(toParent);
    }
    execvp(argv[0], argv.data());
    _exit(127);
}

// Appends everything that can be read from `fd`, up to its end or a failure, to `text`.
void readAll(int fd, std::string &text) {
    char buffer[4096];
    while (true) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            return;
        }
    }
}

// Runs `arguments` (the program first, looked up on PATH) without a shell and waits for it to
// end: in `workDir` unless that is empty, with its standard output in `output` and its standard
// error thrown away when `output` is given, with this program's otherwise. Returns its wait
// status (0 when it exited with status 0), or -1 when it could not be started.
int runProgram(const std::vector<std::string> &arguments, const std::string &workDir,
               std::string *output) {
    std::vector<char *> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string &argument : arguments) {
        argv.push_back(const_cast<char *>(argument.c_str()));
    }
    argv.push_back(nullptr);
    // The pipe's ends: [0] read here, [1] the child's standard output.
    int ends[2] = {-1, -1};
    if (output != nullptr && pipe(ends) != 0) {
        return -1;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        becomeProgram(argv, workDir, ends[0], ends[1]);
    }
    if (output != nullptr) {
        close(ends[1]);
        if (pid > 0) {
            readAll(ends[0], *output);
        }
        close(ends[0]);
    }
    int status = 0;
    while (pid > 0 && waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return pid > 0 ? status : -1;
}

// ---------------------------------------------------------------------------------------------
// Formatting
// ---------------------------------------------------------------------------------------------

std::string format(double value, int decimals = 1) {
    if (std::isnan(value)) {
        return "–";
    }
    std::ostringstream text;
    text << std::fixed << std::setprecision(decimals) << value;
    return text.str();
}

// "median (quartiles low–high)"
std::string spread(const std::vector<double> &values, int decimals = 1) {
    return format(median(values), decimals) + " (" + format(quantile(values, 0.25), decimals) +
           "–" + format(quantile(values, 0.75), decimals) + ")";
}

std::string verdict(bool met) {
    return met ? "met" : "**missed**";
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

std::string machine() {
    std::ostringstream out;
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line, model = "?";
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    }
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    long memKb = 0;
    meminfo >> key >> memKb;
    utsname name{};
    uname(&name);
    out << "- machine: " << std::thread::hardware_concurrency() << " cores, " << model << ", "
        << format(static_cast<double>(memKb) / 1048576.0, 1) << " GiB memory, " << name.sysname
        << " " << name.release << " " << name.machine << "\n"
        << "- X server: Xvfb, screen " << screenGeometry << "\n";
    return out.str();
}

// ---------------------------------------------------------------------------------------------
// The parts
// ---------------------------------------------------------------------------------------------

struct Program {
    std::string label;
    std::string path;
    std::string dir;
};

struct Directories {
    std::string shipped, full;
};

Directories prepare(const TempDir &temp) {
    Directories dirs{temp.file("shipped"), temp.file("full")};
    const std::string data = ROBOT_DATA_DIR;
    for (const std::string &dir : {dirs.shipped, dirs.full}) {
        if (mkdir(dir.c_str(), 0755) != 0) {
            throw std::runtime_error("cannot make " + dir);
        }
        copyFile(data + "/wall7.bmp", dir + "/wall7.bmp");
    }
    copyFile(data + "/head.obj", dirs.shipped + "/head.obj");
    writeFile(dirs.full + "/head.obj", fullCapacityModel());
    writeFloorData(dirs.shipped);
    writeFloorData(dirs.full);
    return dirs;
}

struct Failures {
    std::vector<std::string> list;
    void add(const std::string &what) {
        list.push_back(what);
        std::cerr << "robot_bench_run: " << what << "\n";
    }
};

std::string renderer; // as the probe saw it

// A report line's text, or "?" when the run did not report it.
std::string reported(const Run &run, const std::string &key) {
    const auto it = run.values.find(key);
    return it != run.values.end() ? it->second : "?";
}

// The programs of the start-up runs, and their places in the list.
constexpr size_t robotShipped = 0, floorShipped = 1, bare = 2, robotFull = 3, floorFull = 4;
std::vector<Program> startupPrograms(const Directories &dirs) {
    return {
        {"robot, shipped assets", ROBOT_BINARY, dirs.shipped},
        {"floor, shipped assets", FLOOR_BINARY, dirs.shipped},
        {"bare", BARE_BINARY, dirs.shipped},
        {"robot, full-capacity model", ROBOT_BINARY, dirs.full},
        {"floor, full-capacity model", FLOOR_BINARY, dirs.full},
    };
}

// Per program: one figure per round; NaN for a round whose run failed.
struct StartupFigures {
    explicit StartupFigures(size_t programs)
        : wallMs(programs), cpuMs(programs), peakMb(programs), heapMb(programs) {}
    std::vector<std::vector<double>> wallMs, cpuMs, peakMb, heapMb;
};

StartupFigures startupRounds(Runner &runner, const std::vector<Program> &programs,
                             const Options &options, Failures &failures) {
    const size_t count = programs.size();
    StartupFigures figures(count);
    std::cerr << "start-up and memory: " << options.rounds << " rounds of " << count
              << " programs\n";
    for (int round = 0; round < options.rounds; round++) {
        // Each round starts with the next program, so that none is always first.
        for (size_t k = 0; k < count; k++) {
            const size_t p = (k + static_cast<size_t>(round)) % count;
            const Run run = runner.run({programs[p].path,
                                        programs[p].dir,
                                        {{"ROBOT_BENCH_FRAMES", std::to_string(startupFrames)}}});
            if (!run.ok) {
                failures.add("start-up run of " + programs[p].label + ": " + run.problem);
            }
            if (run.ok && renderer.empty()) {
                renderer = reported(run, "renderer") + ", OpenGL " + reported(run, "version");
            }
            const double none = std::nan("");
            figures.wallMs[p].push_back(run.ok ? run.firstFrameMs() : none);
            figures.cpuMs[p].push_back(run.ok ? run.firstFrameCpuMs() : none);
            figures.peakMb[p].push_back(run.ok ? run.number("peak_rss_kb") / 1024.0 : none);
            figures.heapMb[p].push_back(run.ok ? run.number("heap_in_use_bytes") / 1048576.0
                                               : none);
        }
        std::cerr << "." << std::flush;
    }
    std::cerr << "\n";
    return figures;
}

// Rounds in which a run failed are left out of the figures, and of the ratios that need it.
std::vector<double> clean(const std::vector<double> &v) {
    std::vector<double> kept;
    for (double x : v) {
        if (!std::isnan(x)) {
            kept.push_back(x);
        }
    }
    return kept;
}

std::vector<double> cleanRatios(const std::vector<double> &a, const std::vector<double> &b) {
    return clean(pairedRatios(a, b));
}

void reportStartup(const std::vector<Program> &programs, const StartupFigures &figures,
                   const Options &options, std::ostream &report) {
    const std::vector<std::vector<double>> &wallMs = figures.wallMs, &cpuMs = figures.cpuMs;
    report << "### Start-up (whole process)\n\n"
           << "From the launcher's clock just before fork() to the return of the first "
              "glXSwapBuffers (the first frame, drawn at 500 x 500 before the full-screen "
              "request takes effect); and the process's CPU time (all threads) by then. "
           << options.rounds
           << " interleaved rounds; median (quartiles) in ms; ratios are taken round by "
              "round.\n\n"
           << "| program | first frame, ms | CPU by then, ms | ÷ bare (time) | ÷ floor (time) "
              "| ÷ bare (CPU) |\n|---|---|---|---|---|---|\n";
    for (size_t p = 0; p < programs.size(); p++) {
        const bool robot = p == robotShipped || p == robotFull;
        const size_t floor = p == robotFull ? floorFull : floorShipped;
        report << "| " << programs[p].label << " | " << spread(clean(wallMs[p])) << " | "
               << spread(clean(cpuMs[p])) << " | "
               << (p == bare ? "1" : spread(cleanRatios(wallMs[p], wallMs[bare]), 3)) << " | "
               << (robot ? spread(cleanRatios(wallMs[p], wallMs[floor]), 3) : "") << " | "
               << (p == bare ? "1" : spread(cleanRatios(cpuMs[p], cpuMs[bare]), 3)) << " |\n";
    }
    const double startupRatio = median(cleanRatios(wallMs[robotShipped], wallMs[bare]));
    report << "\nTarget: robot with the shipped assets within 1.15 × the bare program: "
           << format(startupRatio, 3) << " × — " << verdict(startupRatio <= 1.15) << ".\n\n";
}

// Round by round, the peak resident size of program `p` above that of program `other`.
std::vector<double> peakAbove(const StartupFigures &figures, size_t p, size_t other) {
    std::vector<double> above;
    for (size_t r = 0; r < figures.peakMb[p].size(); r++) {
        above.push_back(figures.peakMb[p][r] - figures.peakMb[other][r]);
    }
    return above;
}

void reportMemory(const std::vector<Program> &programs, const StartupFigures &figures,
                  std::ostream &report) {
    report << "### Memory (whole process)\n\n"
           << "Peak resident size (VmHWM) and heap in use (mallinfo2) after " << startupFrames
           << " frames, the last ones full screen; median (quartiles) in MiB over the same "
              "runs.\n\n"
           << "| program | peak resident, MiB | above bare, MiB | above floor, MiB | heap in "
              "use, MiB |\n|---|---|---|---|---|\n";
    for (size_t p = 0; p < programs.size(); p++) {
        const bool robot = p == robotShipped || p == robotFull;
        const size_t floor = p == robotFull ? floorFull : floorShipped;
        report << "| " << programs[p].label << " | " << spread(clean(figures.peakMb[p])) << " | "
               << (p == bare ? "" : spread(clean(peakAbove(figures, p, bare)))) << " | "
               << (robot ? spread(clean(peakAbove(figures, p, floor))) : "") << " | "
               << spread(clean(figures.heapMb[p])) << " |\n";
    }
    // The images: the one pixel buffer of 256 x 256 x 3 bytes alive at a time, and the four
    // textures as the renderer keeps them (4 bytes a texel).
    const double imagesBytes = 256.0 * 256 * 3 + 4 * 256.0 * 256 * 4;
    const double allowanceMb = (modelStoreBytes + imagesBytes) / 1048576.0;
    const double robotAboveBare = median(clean(peakAbove(figures, robotShipped, bare)));
    const double robotAboveFloor = median(clean(peakAbove(figures, robotShipped, floorShipped)));
    report << "\nTarget: robot (shipped assets) above the bare program by no more than the "
              "model store ("
           << format(modelStoreBytes / 1048576.0, 2)
           << " MiB) and the images (one pixel buffer and four textures, "
           << format(imagesBytes / 1048576.0, 2) << " MiB), " << format(allowanceMb, 2)
           << " MiB in all: " << format(robotAboveBare, 2) << " MiB above bare — "
           << verdict(robotAboveBare <= allowanceMb) << "; " << format(robotAboveFloor, 2)
           << " MiB above the same-drawing floor, which holds the same OpenGL objects — "
           << verdict(robotAboveFloor <= allowanceMb) << ".\n\n";
}

void startupAndMemory(Runner &runner, const Directories &dirs, const Options &options,
                      std::ostream &report, Failures &failures) {
    const std::vector<Program> programs = startupPrograms(dirs);
    const StartupFigures figures = startupRounds(runner, programs, options, failures);
    reportStartup(programs, figures, options, report);
    reportMemory(programs, figures, report);
}

struct CadenceFigures {
    std::vector<double> intervalsMs; // after the start-up frames
    int catchUps = 0;                // intervals shorter than catchUpMs
    double seconds = 0;
    double cpuPercent = 0; // of one core, over the measured intervals
};

// Intervals from the third swap on: the first two frames are the 500 x 500 one and the first
// full-screen one, drawn as the window appears and changes size, not by the timer.
CadenceFigures cadence(const Run &run) {
    CadenceFigures f;
    const size_t first = 2;
    for (size_t i = first + 1; i < run.swapWallNs.size(); i++) {
        const double ms = static_cast<double>(run.swapWallNs[i] - run.swapWallNs[i - 1]) / 1e6;
        f.intervalsMs.push_back(ms);
        if (ms < catchUpMs) {
            f.catchUps++;
        }
    }
    if (run.swapWallNs.size() > first + 1) {
        const double wall = static_cast<double>(run.swapWallNs.back() - run.swapWallNs[first]);
        f.seconds = wall / 1e9;
        f.cpuPercent =
            100.0 * static_cast<double>(run.swapCpuNs.back() - run.swapCpuNs[first]) / wall;
    }
    return f;
}

// The stall: after frame stallFrame the probe sleeps stallMs inside the swap, as a slow frame
// would hold up the event loop; the timer's calls due meanwhile must not be made up.
void stallRuns(Runner &runner, const std::vector<Program> &programs, std::ostream &report,
               Failures &failures) {
    report << "\nAfter a stall of " << stallMs << " ms (the probe holds up the event loop "
           << "after frame " << stallFrame << "), the intervals that follow:\n\n"
           << "| program | the stalled interval, ms | the next five, ms | frames in the "
              "second after the stall | intervals < 25 ms among the next ten |\n"
              "|---|---|---|---|---|\n";
    for (const Program &program : programs) {
        const Run run = runner.run({program.path,
                                    program.dir,
                                    {{"ROBOT_BENCH_SECONDS", format(stallRunSeconds, 1)},
                                     {"ROBOT_BENCH_STALL_FRAME", std::to_string(stallFrame)},
                                     {"ROBOT_BENCH_STALL_MS", std::to_string(stallMs)}},
                                    30000});
        // The swap that ended the stall is swap number stallFrame (index stallFrame - 1); the
        // stalled interval is the one up to the next swap.
        const size_t at = static_cast<size_t>(stallFrame);
        if (!run.ok || run.swapWallNs.size() < at + 11) {
            failures.add("stall run of " + program.label + ": " +
                         (run.ok ? "too few frames" : run.problem));
            continue;
        }
        auto interval = [&run](size_t i) {
            return static_cast<double>(run.swapWallNs[i] - run.swapWallNs[i - 1]) / 1e6;
        };
        std::string next;
        int shortOnes = 0;
        for (size_t i = at + 1; i <= at + 10; i++) {
            if (i <= at + 5) {
                next += (next.empty() ? "" : ", ") + format(interval(i), 1);
            }
            if (interval(i) < catchUpMs) {
                shortOnes++;
            }
        }
        // Frames drawn within one second of the first frame after the stall, that one included.
        int inSecond = 0;
        for (size_t i = at; i < run.swapWallNs.size(); i++) {
            if (run.swapWallNs[i] - run.swapWallNs[at] < 1000000000LL) {
                inSecond++;
            }
        }
        report << "| " << program.label << " | " << format(interval(at), 1) << " | " << next
               << " | " << inSecond << " | " << shortOnes << " |\n";
    }
}

void cadenceRuns(Runner &runner, const Directories &dirs, const Options &options,
                 std::ostream &report, Failures &failures) {
    const std::vector<Program> programs = {
        {"robot, shipped assets", ROBOT_BINARY, dirs.shipped},
        {"bare", BARE_BINARY, dirs.shipped},
    };
    std::vector<std::vector<double>> intervals(programs.size());
    std::vector<std::vector<double>> cpu(programs.size());
    std::vector<int> catchUps(programs.size(), 0);
    std::vector<double> seconds(programs.size(), 0);
    std::cerr << "cadence: " << options.cadenceRounds << " rounds of " << options.cadenceSeconds
              << " s each\n";
    const int timeoutMs = static_cast<int>(options.cadenceSeconds * 1000) + 30000;
    for (int round = 0; round < options.cadenceRounds; round++) {
        for (size_t k = 0; k < programs.size(); k++) {
            const size_t p = (k + static_cast<size_t>(round)) % programs.size();
            const Run run =
                runner.run({programs[p].path,
                            programs[p].dir,
                            {{"ROBOT_BENCH_SECONDS", format(options.cadenceSeconds, 3)}},
                            timeoutMs});
            if (!run.ok) {
                failures.add("cadence run of " + programs[p].label + ": " + run.problem);
                continue;
            }
            const CadenceFigures f = cadence(run);
            intervals[p].insert(intervals[p].end(), f.intervalsMs.begin(), f.intervalsMs.end());
            cpu[p].push_back(f.cpuPercent);
            catchUps[p] += f.catchUps;
            seconds[p] += f.seconds;
        }
    }

    report << "### Frame cadence (whole process, real event loop)\n\n"
           << "Intervals between the returns of successive buffer swaps, from the third frame "
              "on, over "
           << options.cadenceRounds << " runs of at least " << format(options.cadenceSeconds, 1)
           << " s each, at full screen (" << screenGeometry
           << "). The timer asks for a frame every 50 ms.\n\n"
           << "| program | seconds | frames | mean interval, ms | standard deviation, ms | "
              "median (quartiles), ms | min–max, ms | intervals < 25 ms | CPU, % of a core "
              "|\n|---|---|---|---|---|---|---|---|---|\n";
    for (size_t p = 0; p < programs.size(); p++) {
        const std::vector<double> &v = intervals[p];
        report << "| " << programs[p].label << " | " << format(seconds[p], 1) << " | " << v.size()
               << " | " << format(mean(v), 2) << " | " << format(standardDeviation(v), 2) << " | "
               << spread(v, 2) << " | "
               << format(v.empty() ? std::nan("") : *std::min_element(v.begin(), v.end()), 1) << "–"
               << format(v.empty() ? std::nan("") : *std::max_element(v.begin(), v.end()), 1)
               << " | " << catchUps[p] << " | " << spread(cpu[p], 1) << " |\n";
    }
    stallRuns(runner, programs, report, failures);
    report << "\n";
}

void heapRuns(Runner &runner, const Directories &dirs, std::ostream &report, Failures &failures) {
    report << "### Heap of robot's own code (`robot_heapcheck`)\n\n"
           << "robot's own code (src/main.cpp and robot_core) linked with the linker's --wrap "
              "options, so that its own calls of malloc, calloc, realloc, free, operator new, "
              "fopen, fclose and glTexImage2D are noted (the libraries' allocations are not "
              "its own and do not pass). Run for "
           << startupFrames << " frames.\n\n"
           << "| assets | allocations | block sizes, bytes | most blocks alive at once | "
              "released right after their upload | alive at exit | files opened / closed "
              "|\n|---|---|---|---|---|---|---|\n";
    for (const auto &[label, dir] : {std::pair<std::string, std::string>{"shipped", dirs.shipped},
                                     {"full-capacity model", dirs.full}}) {
        const std::string heapReport = dir + "/heap-report";
        const Run run = runner.run({HEAPCHECK_BINARY,
                                    dir,
                                    {{"ROBOT_BENCH_FRAMES", std::to_string(startupFrames)},
                                     {"ROBOT_BENCH_HEAP_REPORT", heapReport}}});
        if (!run.ok) {
            failures.add("heap run: " + run.problem);
            continue;
        }
        std::ifstream in(heapReport);
        std::map<std::string, std::string> values;
        std::map<std::string, int> blocks;
        std::string key, value;
        while (in >> key >> value) {
            if (key == "block") {
                blocks[value]++;
            } else {
                values[key] = value;
            }
        }
        std::string sizes;
        for (const auto &[size, n] : blocks) {
            sizes += (sizes.empty() ? "" : ", ") + std::to_string(n) + " × " + size;
        }
        report << "| " << label << " | " << values["allocations"] << " | " << sizes << " | "
               << values["most_live"] << " | " << values["released_after_upload"] << " of "
               << values["frees"] << " | " << values["live_at_exit"] << " | "
               << values["files_opened"] << " / " << values["files_closed"] << " |\n";
        const bool sound = values["most_live"] == "1" && values["live_at_exit"] == "0" &&
                           values["released_otherwise"] == "0" &&
                           values["released_after_upload"] == values["allocations"] &&
                           values["files_opened"] == values["files_closed"];
        if (!sound) {
            failures.add("robot's own heap use is not one pixel buffer at a time");
        }
        // Read and done with; a file that a failed removal leaves goes with the scratch directory.
        (void)std::remove(heapReport.c_str());
    }
    report << "\n";
}

// The instructions that one frame executes, counted by callgrind: repeatable whatever else the
// machine is doing. The renderer draws on the program's own thread (LP_NUM_THREADS=0), so that
// a frame's whole work lies inside the function that draws it; callgrind counts only inside
// that function and writes one profile per frame.
constexpr int instructionFrames = 6;

// The "totals:" line of a callgrind profile; -1 when there is none.
double callgrindTotal(const std::string &path) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("totals:", 0) == 0) {
            const double total = leadingNumber(line.c_str() + 7);
            return std::isnan(total) ? -1 : total;
        }
    }
    return -1;
}

// Instructions executed in the functions of source files whose path contains `sourceDir`
// themselves, not in what they call: the program's own code. `main`, which only waits in the
// event loop while frames are drawn, is left out: callgrind books there the renderer's code
// that it compiled at run time and has no name for. callgrind_annotate shortens paths below its
// working directory, so it runs in `scratch`, below which no source lies.
double ownInstructions(const std::string &profile, const std::string &sourceDir,
                       const std::string &scratch) {
    std::string annotation;
    if (runProgram({"callgrind_annotate", "--threshold=100", profile}, scratch, &annotation) < 0) {
        return -1;
    }
    double sum = 0;
    std::istringstream lines(annotation);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find(sourceDir) == std::string::npos || line.find(".cpp:") == std::string::npos ||
            line.find("-- ") != std::string::npos || line.find("=>") != std::string::npos ||
            line.find(".cpp:main ") != std::string::npos) {
            continue;
        }
        std::string digits;
        size_t i = line.find_first_not_of(' ');
        for (; i < line.size() &&
               (std::isdigit(static_cast<unsigned char>(line[i])) != 0 || line[i] == ',');
             i++) {
            if (line[i] != ',') {
                digits += line[i];
            }
        }
        if (!digits.empty() && line.find("%)") != std::string::npos) {
            sum += leadingNumber(digits.c_str());
        }
    }
    return sum;
}

void instructionCounts(Runner &runner, const Directories &dirs, const std::string &scratch,
                       std::ostream &report, Failures &failures) {
    struct Subject {
        std::string label, path, function, sourceDir;
    };
    const std::vector<Subject> subjects = {
        {"robot `onDisplay`", ROBOT_BINARY, "onDisplay()", ROBOT_SOURCE_DIR},
        {"same-drawing floor `floorFrame`", FLOOR_BINARY, "floorFrame(int, int)",
         BENCH_SOURCE_DIR "/floor_gl.cpp"},
        {"bare clear+swap", BARE_BINARY, "(anonymous namespace)::onDisplay()",
         BENCH_SOURCE_DIR "/bare.cpp"},
    };
    report << "### Instructions per frame (callgrind)\n\n"
           << "Instructions executed by one full-screen frame (" << screenGeometry
           << "), shipped assets, counted by `valgrind --tool=callgrind` inside the function "
              "that draws the frame, with the renderer drawing on the program's thread "
              "(LP_NUM_THREADS=0); the median of frames 3 to "
           << instructionFrames - 1
           << ". Instruction counts repeat exactly from run to run, whatever the load. \"Own "
              "code\" is what the functions of the program's own source files execute "
              "themselves, OpenGL calls not included.\n\n"
           << "| frame | instructions per frame | ÷ bare | own code, instructions per frame "
              "|\n|---|---|---|---|\n";
    std::vector<double> perFrame, ownPerFrame;
    for (const Subject &s : subjects) {
        std::cerr << "instructions: " << s.label << " under callgrind\n";
        const std::string profile = scratch + "/callgrind." + std::to_string(perFrame.size());
        const Run run = runner.run(
            {"valgrind",
             dirs.shipped,
             {{"ROBOT_BENCH_FRAMES", std::to_string(instructionFrames)}, {"LP_NUM_THREADS", "0"}},
             600000,
             {"--tool=callgrind", "--toggle-collect=" + s.function, "--dump-after=" + s.function,
              "--callgrind-out-file=" + profile, s.path}});
        std::vector<double> frames;
        double own = 0;
        for (int k = 3; k < instructionFrames; k++) {
            const std::string dump = profile + "." + std::to_string(k);
            frames.push_back(callgrindTotal(dump));
            own += ownInstructions(dump, s.sourceDir, scratch);
        }
        const double instructions = median(frames);
        if (!run.ok || !(instructions > 0)) {
            failures.add("callgrind run of " + s.label + ": " +
                         (run.ok ? "no profile" : run.problem));
        }
        perFrame.push_back(run.ok && instructions > 0 ? instructions : std::nan(""));
        ownPerFrame.push_back(own / (instructionFrames - 3));
    }
    for (size_t k = 0; k < subjects.size(); k++) {
        report << "| " << subjects[k].label << " | " << format(perFrame[k], 0) << " | "
               << format(perFrame[k] / perFrame.back(), 2) << " | " << format(ownPerFrame[k], 0)
               << " |\n";
    }
    report << "\nrobot ÷ floor: " << format(perFrame[0] / perFrame[1], 5) << ".\n";
    report << "\n";
    // The profiles, read and done with; a file that a failed removal leaves goes with the
    // scratch directory.
    for (size_t k = 0; k < subjects.size(); k++) {
        for (int f = 0; f <= instructionFrames + 1; f++) {
            (void)std::remove((scratch + "/callgrind." + std::to_string(k) +
                               (f == 0 ? "" : "." + std::to_string(f)))
                                  .c_str());
        }
    }
}

void frameBenchmarks(const Directories &dirs, const Options &options, const std::string &out,
                     std::ostream &report, Failures &failures) {
    const std::string summary = out + "/frames.md";
    // A summary of an earlier run must not pass for this one's.
    if (std::remove(summary.c_str()) != 0 && errno != ENOENT) {
        failures.add("cannot remove the earlier " + summary);
        return;
    }
    std::ostringstream minTime;
    minTime << options.minTime;
    const std::vector<std::string> command = {BENCH_BINARY,
                                              "--shipped=" + dirs.shipped,
                                              "--full=" + dirs.full,
                                              "--summary=" + summary,
                                              "--benchmark_repetitions=" +
                                                  std::to_string(options.repetitions),
                                              "--benchmark_enable_random_interleaving=true",
                                              "--benchmark_min_time=" + minTime.str()};
    std::cerr << "frames and loading:";
    for (const std::string &argument : command) {
        std::cerr << " " << argument;
    }
    std::cerr << "\n";
    const int status = runProgram(command, "", nullptr);
    std::ifstream in(summary);
    if (status != 0 || !in) {
        failures.add("robot_bench failed (status " + std::to_string(status) + ")");
        return;
    }
    report << in.rdbuf() << "\n";
}

Options readOptions(int argc, char **argv) {
    Options options;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                throw std::runtime_error(arg + " needs a value");
            }
            return argv[++i];
        };
        if (arg == "--out") {
            options.out = next();
        } else if (arg == "--rounds") {
            options.rounds = std::stoi(next());
        } else if (arg == "--cadence-seconds") {
            options.cadenceSeconds = std::stod(next());
        } else if (arg == "--repetitions") {
            options.repetitions = std::stoi(next());
        } else if (arg == "--only") {
            std::stringstream parts(next());
            std::string part;
            while (std::getline(parts, part, ',')) {
                options.only.insert(part);
            }
        } else if (arg == "--smoke") {
            options.smoke = true;
        } else {
            throw std::runtime_error("unknown option " + arg);
        }
    }
    if (options.smoke) {
        options.rounds = 1;
        options.cadenceSeconds = 1;
        options.cadenceRounds = 1;
        options.repetitions = 1;
        options.minTime = 0.01;
    }
    return options;
}

} // namespace

int main(int argc, char **argv) {
    try {
        const Options options = readOptions(argc, argv);
        mkdir(options.out.c_str(), 0755);
        const std::string loadBefore = loadAverage();
        const TempDir temp;
        const Directories dirs = prepare(temp);
        Failures failures;
        std::ostringstream body;
        {
            const XServer server(screenGeometry);
            Runner runner(server.display(), temp.path());
            if (options.wants("startup")) {
                startupAndMemory(runner, dirs, options, body, failures);
            }
            if (options.wants("cadence")) {
                cadenceRuns(runner, dirs, options, body, failures);
            }
            if (options.wants("heap")) {
                heapRuns(runner, dirs, body, failures);
            }
            if (options.wants("instructions") && !options.smoke) {
                instructionCounts(runner, dirs, temp.path(), body, failures);
            }
        }
        if (options.wants("frames")) {
            frameBenchmarks(dirs, options, options.out, body, failures);
        }
        std::ostringstream report;
        report << "## robot benchmark results\n\n"
               << machine() << "- renderer: " << (renderer.empty() ? "see below" : renderer)
               << "\n- load average (1, 5, 15 min) before: " << loadBefore
               << "; after: " << loadAverage() << "\n- command: `make bench`"
               << (options.smoke ? " (smoke run: figures not meaningful)" : "") << "\n\n"
               << body.str();
        if (!failures.list.empty()) {
            report << "### Failures\n\n";
            for (const std::string &f : failures.list) {
                report << "- " << f << "\n";
            }
        }
        std::ofstream(options.out + "/results.md") << report.str();
        std::cout << report.str() << "\nWritten to " << options.out << "/results.md\n";
        return failures.list.empty() ? 0 : 1;
    } catch (const std::exception &e) {
        std::cerr << "robot_bench_run: " << e.what() << "\n";
        return 1;
    }
}
