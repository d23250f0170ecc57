# Kestrova: `make run` builds and starts the program, `make test` builds and
# runs every test. Builds are incremental and use both cores; two builds of
# one folder at the same time wait for each other.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD := build
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=Release

.PHONY: all build run test deps fuzz-deps native asan win64 win32 bench fuzz docs-pictures clean

all: build

deps:
	@scripts/install-deps
fuzz-deps:
	@scripts/install-deps fuzz

$(BUILD)/native/CMakeCache.txt:
	cmake -S . -B $(BUILD)/native $(CMAKE_FLAGS)
$(BUILD)/asan/CMakeCache.txt:
	cmake -S . -B $(BUILD)/asan $(CMAKE_FLAGS) -DKESTROVA_SANITIZE=ON
$(BUILD)/win64/CMakeCache.txt:
	scripts/wine-prefix --env-only >/dev/null
	WINEPREFIX=$(CURDIR)/$(BUILD)/wine/prefix cmake -S . -B $(BUILD)/win64 $(CMAKE_FLAGS) \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
$(BUILD)/win32/CMakeCache.txt:
	cmake -S . -B $(BUILD)/win32 $(CMAKE_FLAGS) -DKESTROVA_TESTS=OFF -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake

native: deps $(BUILD)/native/CMakeCache.txt
	flock $(BUILD)/native.lock cmake --build $(BUILD)/native -j $(JOBS)
asan: deps $(BUILD)/asan/CMakeCache.txt
	flock $(BUILD)/asan.lock cmake --build $(BUILD)/asan -j $(JOBS)
win64: deps $(BUILD)/win64/CMakeCache.txt
	flock $(BUILD)/win64.lock cmake --build $(BUILD)/win64 -j $(JOBS)
win32: deps $(BUILD)/win32/CMakeCache.txt
	flock $(BUILD)/win32.lock cmake --build $(BUILD)/win32 -j $(JOBS)

# Kestrova.exe (64-bit and 32-bit; the 32-bit build is compiled, never run,
# so its tests are not built) and the native tools.
build: native win64 win32

run: deps win64
	scripts/run-program $(BUILD)/win64/Kestrova.exe

test: deps native asan win64 win32
	scripts/run-tests $(BUILD)

# Throughput against the system's own tools (split -b, cat, ...), natively
# and kestrova-cli.exe under Wine; not part of test.
bench: deps $(BUILD)/native/CMakeCache.txt $(BUILD)/win64/CMakeCache.txt
	cmake --build $(BUILD)/native --target benches -j $(JOBS)
	flock $(BUILD)/win64.lock cmake --build $(BUILD)/win64 --target kestrova-cli -j $(JOBS)
	scripts/run-bench $(BUILD)/native $(BUILD)/win64

# Coverage-guided fuzzing of the file readers and the size rules (clang's
# libFuzzer, its own build folder): each target runs FUZZ_SECONDS from the
# seeds in fuzz/corpus. Not part of test.
FUZZ_SECONDS ?= 60
$(BUILD)/fuzz/CMakeCache.txt: | fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)/fuzz $(CMAKE_FLAGS) -DKESTROVA_FUZZ=ON -DKESTROVA_TESTS=OFF
fuzz: fuzz-deps $(BUILD)/fuzz/CMakeCache.txt
	flock $(BUILD)/fuzz.lock cmake --build $(BUILD)/fuzz --target fuzzers -j $(JOBS)
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run-fuzz $(BUILD)/fuzz

# The README's pictures, docs/*.png: the end-to-end cases that take them
# are run, and their screenshots cropped and written small.
docs-pictures: deps native asan win64 win32
	scripts/docs-pictures $(BUILD)

clean:
	rm -rf $(BUILD)
