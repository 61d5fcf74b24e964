# Front door of the project. `make play` and `make test` do all set-up on a
# fresh Debian machine: packages, configure, build, then run.

BUILD      ?= build
ASAN_BUILD ?= build-asan
GENERATOR  := Ninja
JOBS       ?= $(shell nproc)
LAUNCHER   := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
CMAKE_ARGS ?=
# One compiler cache for every checkout on the machine.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := true

.PHONY: all setup configure build play test test-asan bench fuzz clean format

all: build

setup:
	@bash scripts/deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER) $(CMAKE_ARGS)

configure: setup $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

play: build
	@bash scripts/play.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Tests once more under AddressSanitizer and UndefinedBehaviorSanitizer; only
# the test programs are built in this tree.
test-asan: setup
	cmake -S . -B $(ASAN_BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DMIVO_SANITIZE=ON -DMIVO_BENCH=OFF $(LAUNCHER) $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target mivo_tests
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

bench: setup
	cmake -S . -B $(BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVO_BENCH=ON $(LAUNCHER) $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS) --target mivo_benchmarks
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

# libFuzzer builds with clang; run one with e.g. build-fuzz/fuzz/fuzz_archive -max_total_time=120
fuzz: setup
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVO_LIBFUZZER=ON -DMIVO_BENCH=OFF $(CMAKE_ARGS)
	cmake --build build-fuzz -j $(JOBS) --target mivo_fuzzers

format:
	git ls-files '*.cpp' '*.hpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz
