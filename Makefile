# Shoalgen: `make demo` runs the demonstration, `make test` every test.
# Both set the machine up first (scripts/setup installs Debian packages).

BUILD  := build
NATIVE := $(BUILD)/native
ASAN   := $(BUILD)/native-asan
WIN    := $(BUILD)/win64
JOBS   ?= $(shell nproc)
OUT    := out
CMAKE_FLAGS := -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all setup native asan win64 test test-native test-asan test-win64 sim bench demo clean

all: native win64

setup:
	@./scripts/setup

native: setup
	cmake -S . -B $(NATIVE) $(CMAKE_FLAGS)
	cmake --build $(NATIVE) -j $(JOBS)

asan: setup
	cmake -S . -B $(ASAN) $(CMAKE_FLAGS) -DSHOALGEN_SANITIZE=ON -DSHOALGEN_BENCHMARKS=OFF
	cmake --build $(ASAN) -j $(JOBS)

win64: setup
	cmake -S . -B $(WIN) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
	cmake --build $(WIN) -j $(JOBS)

test: test-native test-asan test-win64

test-native: native
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

test-asan: asan
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

test-win64: win64
	./scripts/with-wine $(WIN)/wineprefix sh -c 'cd $(WIN) && ctest --output-on-failure -j $(JOBS)'

sim: native
	@mkdir -p $(OUT)/sim
	cd $(OUT)/sim && ../../$(NATIVE)/bin/shoalsim --frames 20000 --trace-every 50 \
	  --trace trace.jsonl --stats stats.csv --plot chart.png
	@echo "sim: trace, stats and chart written to $(OUT)/sim/ (trace.jsonl, stats.csv, chart.png)"

bench: native
	$(NATIVE)/bin/behave_bench

demo: sim

clean:
	rm -rf $(BUILD) $(OUT)
