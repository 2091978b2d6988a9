// robot_bench: the figures that live inside one process, with Google Benchmark. In one real
// GLUT window on a private virtual X server, set up as robot's start-up routine sets it up:
//   frame/...  the CPU time (all threads of the process: the software renderer draws on
//              several) of one drawn frame, for robot's onDisplay, for the same-drawing floor
//              (floor_gl.h) and for a bare clear-and-swap frame, with the shipped assets and
//              with the full-capacity model, at 1280 x 1024 and 1920 x 1080;
//   alternate/...  robot's frame and the floor's drawn in turn, each timed on its own, so that
//              the load of the machine falls on both alike; their ratio is the frame target's;
//   load/...   reading the model file (loadModel), compiling the model list, and reading and
//              loading the wall image (bitmapRead, bitmapLoad).
// Run with --benchmark_repetitions and --benchmark_enable_random_interleaving, the three
// kinds of frame alternate, and the ratios between them are taken repetition by repetition.
//
// Options of its own: --shipped=DIR and --full=DIR, directories that hold head.obj and
// wall7.bmp (the shipped ones; the full-capacity model and the shipped image) and the floor's
// data (floor_data.h); --summary=PATH, where a Markdown summary of the figures is written.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include "assets/model.h"
#include "assets/texture.h"
#include "floor_gl.h"
#include "render/render.h"
#include "shell/shell.h"
#include "stats.h"
#include "xserver.h"

namespace {

// The screen of the private X server: large enough for the larger window size.
constexpr const char *screenGeometry = "1920x1080x24";

// Frames drawn before timing, at each start of a benchmark: the renderer compiles what a new
// combination of state needs on its first use.
constexpr int warmUpFrames = 3;

struct Size {
    int width, height;
    std::string name() const { return std::to_string(width) + "x" + std::to_string(height); }
};
const Size sizes[] = {{1280, 1024}, {1920, 1080}};

enum class Model { Shipped, Full };
const char *modelName(Model model) {
    return model == Model::Shipped ? "shipped" : "full";
}

std::string shippedDir, fullDir, summaryPath;
// The model whose mesh is in display list 8 now.
Model listModel = Model::Shipped;
// A texture name of the benchmarks' own, for bitmapLoad.
GLuint spareTexture = 0;

const std::string &modelDir(Model model) {
    return model == Model::Shipped ? shippedDir : fullDir;
}

// Runs `body` in `dir`, then goes back.
template <typename Body> void inDirectory(const std::string &dir, Body body) {
    char here[4096];
    if (getcwd(here, sizeof here) == nullptr || chdir(dir.c_str()) != 0) {
        throw std::runtime_error("cannot change to " + dir);
    }
    body();
    if (chdir(here) != 0) {
        throw std::runtime_error("cannot change back");
    }
}

// Reads `model` into the store and compiles it into the model list, as the start-up routine does.
void useModel(Model model) {
    if (model == listModel) {
        return;
    }
    inDirectory(modelDir(model), [] { loadModel(); });
    compileModelList();
    listModel = model;
}

// Pumps GLUT's events until the window's drawing area is `size` (onResize is the reshape
// handler, as in robot).
void useSize(const Size &size) {
    if (windowWidth == size.width && windowHeight == size.height) {
        return;
    }
    glutReshapeWindow(size.width, size.height);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((windowWidth != size.width || windowHeight != size.height) &&
           std::chrono::steady_clock::now() < deadline) {
        glutMainLoopEvent();
    }
    if (windowWidth != size.width || windowHeight != size.height) {
        throw std::runtime_error("the window did not take the size " + size.name());
    }
}

void bareFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

void robotFrame() {
    onDisplay();
}

void floorFrameNow() {
    floorFrame(windowWidth, windowHeight);
}

void frameBenchmark(benchmark::State &state, void (*draw)(), Model model, Size size) {
    useModel(model);
    useSize(size);
    for (int i = 0; i < warmUpFrames; i++) {
        draw();
    }
    for ([[maybe_unused]] auto _ : state) {
        draw();
    }
}

long long processCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// robot's frame and the floor's, one after the other, each timed on its own: whatever else the
// machine does falls on both alike, within a few milliseconds; the order alternates. Reports the
// CPU time of each per frame and their ratio as counters.
void alternatingBenchmark(benchmark::State &state, Model model, Size size) {
    useModel(model);
    useSize(size);
    for (int i = 0; i < warmUpFrames; i++) {
        robotFrame();
        floorFrameNow();
    }
    long long robotNs = 0, floorNs = 0;
    bool robotFirst = true;
    for ([[maybe_unused]] auto _ : state) {
        // Which goes first changes every time, so that neither always follows the other.
        const long long start = processCpuNs();
        robotFirst ? robotFrame() : floorFrameNow();
        const long long between = processCpuNs();
        robotFirst ? floorFrameNow() : robotFrame();
        const long long end = processCpuNs();
        robotNs += robotFirst ? between - start : end - between;
        floorNs += robotFirst ? end - between : between - start;
        robotFirst = !robotFirst;
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["robot_ms"] = static_cast<double>(robotNs) / frames / 1e6;
    state.counters["floor_ms"] = static_cast<double>(floorNs) / frames / 1e6;
    state.counters["robot_per_floor"] =
        floorNs > 0 ? static_cast<double>(robotNs) / static_cast<double>(floorNs) : 0.0;
}

void loadModelBenchmark(benchmark::State &state, Model model) {
    inDirectory(modelDir(model), [&state] {
        for ([[maybe_unused]] auto _ : state) {
            loadModel();
        }
    });
    // The store now holds `model`; the list is compiled from it on the next useModel.
    listModel = model == Model::Shipped ? Model::Full : Model::Shipped;
    useModel(model);
}

void compileModelListBenchmark(benchmark::State &state, Model model) {
    useModel(model);
    for ([[maybe_unused]] auto _ : state) {
        compileModelList();
    }
}

void bitmapReadBenchmark(benchmark::State &state) {
    inDirectory(shippedDir, [&state] {
        for ([[maybe_unused]] auto _ : state) {
            int width = 0, height = 0;
            unsigned char *pixels = nullptr;
            if (bitmapRead(wallImageFile, &width, &height, &pixels) != 0) {
                state.SkipWithError("bitmapRead failed");
                break;
            }
            std::free(pixels);
        }
    });
}

void bitmapLoadBenchmark(benchmark::State &state) {
    inDirectory(shippedDir, [&state] {
        for ([[maybe_unused]] auto _ : state) {
            if (bitmapLoad(static_cast<int>(spareTexture), wallImageFile) != 0) {
                state.SkipWithError("bitmapLoad failed");
                break;
            }
        }
    });
}

void registerBenchmarks() {
    for (const Size &size : sizes) {
        benchmark::RegisterBenchmark(("frame/bare/-/" + size.name()).c_str(), frameBenchmark,
                                     bareFrame, Model::Shipped, size)
            ->MeasureProcessCPUTime()
            ->Unit(benchmark::kMillisecond);
        for (Model model : {Model::Shipped, Model::Full}) {
            const std::string tail = std::string("/") + modelName(model) + "/" + size.name();
            benchmark::RegisterBenchmark(("frame/floor" + tail).c_str(), frameBenchmark,
                                         floorFrameNow, model, size)
                ->MeasureProcessCPUTime()
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("frame/robot" + tail).c_str(), frameBenchmark, robotFrame,
                                         model, size)
                ->MeasureProcessCPUTime()
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("alternate/robot-floor" + tail).c_str(),
                                         alternatingBenchmark, model, size)
                ->MeasureProcessCPUTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
    for (Model model : {Model::Shipped, Model::Full}) {
        const std::string tail = std::string("/") + modelName(model);
        benchmark::RegisterBenchmark(("load/loadModel" + tail).c_str(), loadModelBenchmark, model)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("load/compileModelList" + tail).c_str(),
                                     compileModelListBenchmark, model)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("load/bitmapRead/shipped", bitmapReadBenchmark)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("load/bitmapLoad/shipped", bitmapLoadBenchmark)
        ->Unit(benchmark::kMillisecond);
}

// ---------------------------------------------------------------------------------------------
// The summary: medians over the repetitions, and the ratios of frames measured side by side.
// ---------------------------------------------------------------------------------------------

struct Samples {
    std::vector<double> cpu, real;                       // milliseconds, one per repetition
    std::map<std::string, std::vector<double>> counters; // one per repetition
};

std::string format(double value, int decimals = 2) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(decimals) << value;
    return text.str();
}

// The samples of the counter `name`; none when no run reported it.
const std::vector<double> &counterSamples(const Samples &samples, const std::string &name) {
    static const std::vector<double> none;
    const auto it = samples.counters.find(name);
    return it != samples.counters.end() ? it->second : none;
}

// "median (quartiles low-high)"
std::string spread(const std::vector<double> &values, int decimals = 2) {
    return format(median(values), decimals) + " (" + format(quantile(values, 0.25), decimals) +
           "–" + format(quantile(values, 0.75), decimals) + ")";
}

class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run> &runs) override {
        std::vector<Run> shown;
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                const double toMs = 1000.0 / benchmark::GetTimeUnitMultiplier(run.time_unit);
                Samples &s = samples_[run.run_name.function_name];
                s.cpu.push_back(run.GetAdjustedCPUTime() * toMs);
                s.real.push_back(run.GetAdjustedRealTime() * toMs);
                for (const auto &[name, counter] : run.counters) {
                    s.counters[name].push_back(counter.value);
                }
            }
            if (run.run_type == Run::RT_Aggregate || run.repetitions <= 1) {
                shown.push_back(run);
            }
        }
        if (!shown.empty()) {
            ConsoleReporter::ReportRuns(shown);
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::ostringstream out;
        out << "### Frame cost (in-process, `robot_bench`)\n\n"
            << "CPU time of the whole process (all threads) per drawn frame, in ms: median over "
               "the repetitions (quartiles). Ratios are taken repetition by repetition, each "
               "pair measured in the same run, and their median given (quartiles).\n\n"
            << "| size | model | robot `onDisplay` | same-drawing floor | bare clear+swap | "
               "robot / floor | robot / bare | floor / bare |\n"
            << "|---|---|---|---|---|---|---|---|\n";
        for (const Size &size : sizes) {
            const Samples &bare = samples_["frame/bare/-/" + size.name()];
            for (Model model : {Model::Shipped, Model::Full}) {
                const std::string tail = std::string("/") + modelName(model) + "/" + size.name();
                const Samples &robot = samples_["frame/robot" + tail];
                const Samples &floor = samples_["frame/floor" + tail];
                out << "| " << size.name() << " | " << modelName(model) << " | "
                    << spread(robot.cpu) << " | " << spread(floor.cpu) << " | " << spread(bare.cpu)
                    << " | " << spread(pairedRatios(robot.cpu, floor.cpu), 3) << " | "
                    << spread(pairedRatios(robot.cpu, bare.cpu)) << " | "
                    << spread(pairedRatios(floor.cpu, bare.cpu)) << " |\n";
            }
        }
        out << "\nrobot's frame and the floor's drawn one after the other, each timed on its "
               "own (CPU ms per frame, median over the repetitions, quartiles), and the ratio "
               "of their sums in each repetition:\n\n"
            << "| size | model | robot | floor | robot / floor |\n|---|---|---|---|---|\n";
        for (const Size &size : sizes) {
            for (Model model : {Model::Shipped, Model::Full}) {
                const Samples &a = samples_[std::string("alternate/robot-floor/") +
                                            modelName(model) + "/" + size.name()];
                out << "| " << size.name() << " | " << modelName(model) << " | "
                    << spread(counterSamples(a, "robot_ms")) << " | "
                    << spread(counterSamples(a, "floor_ms")) << " | "
                    << spread(counterSamples(a, "robot_per_floor"), 3) << " |\n";
            }
        }
        out << "\nWall time per frame, ms, median (quartiles): ";
        for (const Size &size : sizes) {
            out << size.name() << ": robot/shipped "
                << spread(samples_["frame/robot/shipped/" + size.name()].real) << ", bare "
                << spread(samples_["frame/bare/-/" + size.name()].real) << "; ";
        }
        out << "\n\n### Loading (in-process, `robot_bench`)\n\n"
            << "| routine | input | CPU ms, median (quartiles) | wall ms, median |\n"
            << "|---|---|---|---|\n";
        for (const auto &[name, s] : samples_) {
            if (name.rfind("load/", 0) != 0) {
                continue;
            }
            const std::string rest = name.substr(5);
            const size_t slash = rest.find('/');
            out << "| `" << rest.substr(0, slash) << "` | " << rest.substr(slash + 1) << " | "
                << spread(s.cpu, 3) << " | " << format(median(s.real), 3) << " |\n";
        }
        out << "\nRenderer: " << glGetString(GL_RENDERER) << ", OpenGL " << glGetString(GL_VERSION)
            << "\n";
        std::cout << "\n" << out.str();
        if (!summaryPath.empty()) {
            std::ofstream(summaryPath) << out.str();
        }
    }

  private:
    std::map<std::string, Samples> samples_;
};

// Takes this program's own options out of the command line.
void readOptions(int &argc, char **argv) {
    int kept = 1;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        auto value = [&arg](const char *name) -> const char * {
            const size_t length = std::strlen(name);
            return arg.compare(0, length, name) == 0 ? arg.c_str() + length : nullptr;
        };
        if (const char *v = value("--shipped=")) {
            shippedDir = v;
        } else if (const char *v2 = value("--full=")) {
            fullDir = v2;
        } else if (const char *v3 = value("--summary=")) {
            summaryPath = v3;
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
}

// One real window, as robot opens it, with robot's reshape handler, and its start-up work but
// the full-screen request: the benchmarks set the window's size themselves.
void openWindow(int &argc, char **argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(windowStartX, windowStartY);
    glutInitWindowSize(windowStartWidth, windowStartHeight);
    glutCreateWindow(windowTitle);
    static bool shown = false;
    glutDisplayFunc([] { shown = true; });
    glutReshapeFunc(onResize);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!shown && std::chrono::steady_clock::now() < deadline) {
        glutMainLoopEvent();
    }
    glutDisplayFunc([] {});
    // At the screen's corner, so that the largest size is wholly on the screen.
    glutPositionWindow(0, 0);

    inDirectory(shippedDir, [] {
        loadModel();
        setupRenderState();
        compileModelList();
        glDisable(GL_TEXTURE_2D);
        loadTextures();
    });
    listModel = Model::Shipped;
    // The floor's own textures and (the same) model list, from the same files.
    FloorData data;
    if (!readFloorData(shippedDir, data)) {
        throw std::runtime_error("no floor data in " + shippedDir);
    }
    floorSetup(data);
    glGenTextures(1, &spareTexture);
}

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    readOptions(argc, argv);
    if (shippedDir.empty() || fullDir.empty()) {
        std::cerr << "usage: robot_bench --shipped=DIR --full=DIR [--summary=PATH] "
                     "[benchmark options]\n";
        return 2;
    }
    try {
        const XServer server(screenGeometry);
        setenv("DISPLAY", server.display().c_str(), 1);
        openWindow(argc, argv);
        registerBenchmarks();
        SummaryReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();
        glutExit();
    } catch (const std::exception &e) {
        std::cerr << "robot_bench: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
