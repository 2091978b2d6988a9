# robot: set-up, build, run and test, as a thin layer over CMake. Every variable below can be
# set on the command line, for example `make test JOBS=1` or `make run RUN_SECONDS=10`.
BUILD_DIR    ?= build
SANITIZE_DIR ?= build-sanitize
BUILD_TYPE   ?= RelWithDebInfo
GENERATOR    ?= Ninja
JOBS         ?= $(shell nproc 2>/dev/null || echo 2)
RUN_SECONDS  ?= 4
CMAKE_FLAGS  ?=
FUZZ_DIR     ?= build-fuzz
FUZZ_SECONDS ?= 60
# Fuzzing time of each target in `make test`.
TEST_FUZZ_SECONDS ?= 30
BENCH_OUT    ?= $(BUILD_DIR)/bench-results
BENCH_ARGS   ?=

CONFIGURE = cmake -S . -G $(GENERATOR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)
CTEST     = ctest --output-on-failure -j $(JOBS) --test-dir

.PHONY: all deps build build-sanitize build-fuzz run test lint fuzz bench format clean

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

# The fuzz targets of the two file readers: clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer.
build-fuzz: deps
	$(CONFIGURE) -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=clang++ -DROBOT_FUZZ=ON -DROBOT_BUILD_TESTS=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_model fuzz_bmp

# Fuzzes each file reader for FUZZ_SECONDS; fails on any finding.
fuzz: build-fuzz
	tools/fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# clang-tidy and cppcheck on every file that the two builds compile; fails on any finding.
# Needs the builds configured only, not built.
lint: deps
	$(CONFIGURE) -B $(BUILD_DIR)
	$(CONFIGURE) -B $(SANITIZE_DIR) -DROBOT_SANITIZE=ON
	tools/lint.py -j $(JOBS) $(BUILD_DIR) $(SANITIZE_DIR)

# Starts the viewer; without an X display, takes a screenshot on a virtual one instead.
run: build
	@tools/run.sh $(BUILD_DIR) $(RUN_SECONDS)

# The whole suite, in the normal build and under the sanitizers, then the static analysis and
# each fuzz target for TEST_FUZZ_SECONDS. Every test that needs an X server starts a virtual
# one (Xvfb) of its own.
test: build build-sanitize
	$(CTEST) $(BUILD_DIR)
	$(CTEST) $(SANITIZE_DIR)
	$(MAKE) --no-print-directory lint
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(TEST_FUZZ_SECONDS)

# Benchmarks: start-up, frame cost, cadence, memory and loading, each beside a bare GLUT program
# and a program that makes exactly robot's OpenGL calls. Writes $(BENCH_OUT)/results.md. Parts
# and rounds can be chosen, e.g. `make bench BENCH_ARGS="--only startup --rounds 30"`.
bench: build
	$(BUILD_DIR)/bench/robot_bench_run --out $(BENCH_OUT) $(BENCH_ARGS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
