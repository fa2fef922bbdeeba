# Thin wrapper over CMake. `make` builds build/zek, `make test` builds and runs every test,
# `make sanitize` does the same in build-san/ with AddressSanitizer and UBSan, `make fuzz` runs
# the fuzz targets in build-fuzz/ for a bounded time.
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
JOBS ?= 2

.PHONY: all build test sanitize fuzz bench clean

all: build

build:
	@test -f build/CMakeCache.txt || cmake -S . -B build -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build -j $(JOBS)

test: build
	@test -f build/zek_unit || { echo "the tests need GoogleTest and Python 3: run .ci/run, or install libgtest-dev and python3, then rm -rf build"; exit 1; }
	cd build && ctest --output-on-failure

sanitize:
	@test -f build-san/CMakeCache.txt || cmake -S . -B build-san -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug -DZEK_SANITIZE=ON
	cmake --build build-san -j $(JOBS)
	@test -f build-san/zek_unit || { echo "the tests need GoogleTest and Python 3: run .ci/run"; exit 1; }
	cd build-san && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure

# The libFuzzer targets (clang) in build-fuzz/, each run for FUZZ_SECONDS (default 60).
FUZZ_SECONDS ?= 60
fuzz:
	tests/fuzz/run.sh $(FUZZ_SECONDS)

bench: build
	bench/run.sh

clean:
	rm -rf build build-san build-fuzz
