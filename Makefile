# Shoalgen: `make demo` runs the demonstration, `make test` every test.
# Both set the machine up first (scripts/setup installs Debian packages).

BUILD  := build
NATIVE := $(BUILD)/native
ASAN   := $(BUILD)/native-asan
WIN    := $(BUILD)/win64
WEB    := $(BUILD)/web
FUZZ_SECONDS ?= 60
WEB_PORT ?= 8000
JOBS   ?= $(shell nproc)
OUT    := out
CMAKE_FLAGS := -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all setup native asan win64 web web-serve assets test test-native test-asan test-win64 test-web fuzz sim \
  experiment bench bench-web bench-draw demo dist clean

all: native win64

setup:
	@./scripts/setup

native: setup
	cmake -S . -B $(NATIVE) $(CMAKE_FLAGS)
	cmake --build $(NATIVE) -j $(JOBS)

# clang with AddressSanitizer and UndefinedBehaviorSanitizer; also builds the
# libFuzzer targets, whose ctest entries replay their seed corpora.
asan: setup
	CC=clang CXX=clang++ cmake -S . -B $(ASAN) $(CMAKE_FLAGS) -DSHOALGEN_FUZZ=ON -DSHOALGEN_BENCHMARKS=OFF
	cmake --build $(ASAN) -j $(JOBS)

win64: setup
	cmake -S . -B $(WIN) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
	cmake --build $(WIN) -j $(JOBS)

# WebAssembly with emscripten: shoalsim for node (build/web/shoalsim.js),
# whose tests compare it with the native build's, the WebGL back end, whose
# picture is compared with the Windows build's OpenGL one, and the two
# programs as web pages (build/web/site/, copied to out/web/), whose assets
# the native makeassets writes.
web: setup native
	cmake -S . -B $(WEB) -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake -DSHOALGEN_NATIVE_SHOALSIM=$(CURDIR)/$(NATIVE)/bin/shoalsim \
	  -DSHOALGEN_NATIVE_MAKEASSETS=$(CURDIR)/$(NATIVE)/bin/makeassets -DSHOALGEN_WIN64_BUILD=$(CURDIR)/$(WIN)
	cmake --build $(WEB) -j $(JOBS)
	rm -rf $(OUT)/web && mkdir -p $(OUT) && cp -r $(WEB)/site $(OUT)/web
	@echo "web: the site is in $(OUT)/web/ (make web-serve serves it)"

# The site on this machine only; any static web server will do as well.
web-serve: web
	@echo "web-serve: open http://127.0.0.1:$(WEB_PORT)/ (Ctrl-C stops)"
	cd $(OUT)/web && python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

# The demonstration's models and textures, written by the native makeassets
# into the Windows build's run folder (the native build also writes them to
# build/native/assets for its tests).
assets: native
	$(NATIVE)/bin/makeassets $(WIN)/run

test: test-native test-asan test-win64 test-web

test-native: native
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

test-asan: asan
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# Explores each fuzz target for FUZZ_SECONDS; new inputs go to
# build/native-asan/corpus, the seed corpus stays as it is. The readers log
# every refused input, so the fuzzers run where "Log.txt" goes nowhere.
fuzz: asan
	@mkdir -p $(ASAN)/fuzzrun && ln -sf /dev/null $(ASAN)/fuzzrun/Log.txt
	@while IFS='=' read -r name maxlen corpus; do \
	  [ -n "$$name" ] || continue; \
	  mkdir -p $(ASAN)/corpus/$$name; \
	  echo "fuzz: $$name for $(FUZZ_SECONDS) s, inputs up to $$maxlen bytes"; \
	  (cd $(ASAN)/fuzzrun && ../bin/$$name -max_total_time=$(FUZZ_SECONDS) -max_len=$$maxlen \
	    ../corpus/$$name $$corpus) || exit 1; \
	done < $(ASAN)/fuzzers.txt

test-win64: win64 assets
	./scripts/with-wine $(WIN)/wineprefix sh -c 'cd $(WIN) && ctest --output-on-failure -j $(JOBS)'

test-web: web native win64
	cd $(WEB) && ctest --output-on-failure -j $(JOBS)

sim: native
	@mkdir -p $(OUT)/sim
	cd $(OUT)/sim && ../../$(NATIVE)/bin/shoalsim --frames 20000 --trace-every 50 \
	  --trace trace.jsonl --stats stats.csv --plot chart.png
	@echo "sim: trace, stats and chart written to $(OUT)/sim/ (trace.jsonl, stats.csv, chart.png)"

# Eight seeds of each rule set, each beside a neutral control, run JOBS at a
# time by GNU parallel and summarised across runs, one folder per rule set.
experiment: native
	rm -rf $(OUT)/experiment
	for rules in shoalgen shoalgen2; do \
	  tools/experiment --out $(OUT)/experiment/$$rules --rules $$rules --replicates 8 \
	    --with-neutral --frames 20000 --stats-every 100 --jobs $(JOBS) || exit 1; \
	done
	@echo "experiment: $(OUT)/experiment/shoalgen/ and $(OUT)/experiment/shoalgen2/ hold" \
	  "final.txt, summary.png, summary.svg, summary.csv and runs.csv"

bench: native
	$(NATIVE)/bin/behave_bench
	$(NATIVE)/bin/readers_bench
	$(NATIVE)/bin/meshDetail_bench

# shoalsim per frame, native and WebAssembly, at 1x, 10x and 100x minimums;
# then frames per second of both pages in headless Chromium next to the
# Windows programs under Wine, in the same run, at 1x and 10x minimums.
bench-web: native web win64 assets
	./benchmarks/web-shoalsim $(NATIVE)/bin/shoalsim $(WEB)/shoalsim.js
	node benchmarks/web-pages-fps.js $(CURDIR)/$(WEB)/site
	BENCH_PROGRAMS="shoalgen shoalgen2" BENCH_SCALES="1 10" ./scripts/bench-draw

# Frames per second of both renderers at 1x, 10x and 100x the default
# minimums, windowed 1024 x 768 on a virtual display, with screenshots in
# build/win64/artefacts/ (scripts/bench-draw tells how to compare two builds).
bench-draw: win64 assets
	./scripts/bench-draw

# The demonstration on the user's display; without one, a driven run on a
# virtual display that leaves screenshots in out/demo/.
demo: win64 assets
	./scripts/demo

# The two programs, the model viewer and the thirteen assets, ready to unpack
# and run on Windows.
dist: win64 assets
	@mkdir -p $(OUT)
	rm -f $(OUT)/shoalgen.zip
	cd $(WIN)/run && zip -q ../../../$(OUT)/shoalgen.zip shoalgen.exe shoalgen2.exe modelview.exe \
	  cube.3ds sphererot270.3ds NeonTetra0.3ds Angel0.3ds Mezirozame0.3ds \
	  water.bmp food.bmp neontet.bmp AngelT.bmp MeziroT.bmp pink.bmp green.bmp rot.bmp
	@echo "dist: $(OUT)/shoalgen.zip"

clean:
	rm -rf $(BUILD) $(OUT)
