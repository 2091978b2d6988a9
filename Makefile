# robot: set-up, build, run and test, as a thin layer over CMake. Every variable below can be
# set on the command line, for example `make test JOBS=1` or `make run RUN_SECONDS=10`.
BUILD_DIR    ?= build
SANITIZE_DIR ?= build-sanitize
BUILD_TYPE   ?= RelWithDebInfo
GENERATOR    ?= Ninja
JOBS         ?= $(shell nproc 2>/dev/null || echo 2)
RUN_SECONDS  ?= 4
CMAKE_FLAGS  ?=
BENCH_OUT    ?= $(BUILD_DIR)/bench-results
BENCH_ARGS   ?=

CONFIGURE = cmake -S . -G $(GENERATOR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)
CTEST     = ctest --output-on-failure -j $(JOBS) --test-dir

.PHONY: all deps build build-sanitize run test bench format clean

all: build

# Installs the Debian packages that are missing.
deps:
	@tools/install-deps.sh

build: deps
	$(CONFIGURE) -B $(BUILD_DIR)
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The same build with AddressSanitizer and UndefinedBehaviorSanitizer.
build-sanitize: deps
	$(CONFIGURE) -B $(SANITIZE_DIR) -DROBOT_SANITIZE=ON
	cmake --build $(SANITIZE_DIR) -j $(JOBS)

# Starts the viewer; without an X display, takes a screenshot on a virtual one instead.
run: build
	@tools/run.sh $(BUILD_DIR) $(RUN_SECONDS)

# The whole suite, in the normal build and under the sanitizers. Every test that needs an X
# server starts a virtual one (Xvfb) of its own.
test: build build-sanitize
	$(CTEST) $(BUILD_DIR)
	$(CTEST) $(SANITIZE_DIR)

# Benchmarks: start-up, frame cost, cadence, memory and loading, each beside a bare GLUT program
# and a program that makes exactly robot's OpenGL calls. Writes $(BENCH_OUT)/results.md. Parts
# and rounds can be chosen, e.g. `make bench BENCH_ARGS="--only startup --rounds 30"`.
bench: build
	$(BUILD_DIR)/bench/robot_bench_run --out $(BENCH_OUT) $(BENCH_ARGS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
