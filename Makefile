# Set-up, build, run and test. Every target installs the Debian packages it needs first.
.PHONY: deps configure build python run run-cli test test-sanitize test-tsan test-valgrind bench bench-load bench-detect bench-apply bench-python screenshots peer fuzz-build fuzz-smoke fuzz-long format clean package

BUILD_DIR ?= build
ASAN_DIR ?= build-asan
TSAN_DIR ?= build-tsan
FUZZ_DIR ?= build-fuzz
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORN_WERROR=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The Python module vornlut alone, into $(BUILD_DIR)/python for development:
#   PYTHONPATH=$(BUILD_DIR)/python /usr/bin/python3 -c "import vornlut"
python: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target vornlut_python

run: build
	@if [ -x $(BUILD_DIR)/ui/vorn-lut-converter ] && [ -n "$${DISPLAY}$${WAYLAND_DISPLAY}" ]; then \
	  $(BUILD_DIR)/ui/vorn-lut-converter; \
	else \
	  echo "No display (or no desktop build): converting the sample LUTs with vorn-lut instead."; \
	  bash scripts/run-samples.sh $(BUILD_DIR); \
	fi

run-cli: build
	@bash scripts/run-samples.sh $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	@cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON \
	  -DVORN_SANITIZE=ON -DVORN_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN_DIR) -j $(JOBS)
	@cd $(ASAN_DIR) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
	  ctest --output-on-failure -j $(JOBS)

# The core, format and picture-codec tests under ThreadSanitizer: loads, batches and the
# banded JPEG apply on several threads at once.
test-tsan: deps
	@cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON \
	  -DVORN_TSAN=ON -DVORN_BUILD_UI=OFF -DVORN_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS) --target core_tests formats_tests codecs_tests
	@for suite in core_tests formats_tests codecs_tests; do \
	  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 $(TSAN_DIR)/tests/$$suite || exit 1; \
	done

# The Debian packages (build/vorn-lut-converter_VERSION_ARCH.deb, libvornlut0_..., libvornlut-dev_...);
# packaging/ has their rules.
package: build
	@cmake --build $(BUILD_DIR) --target package

# The suite without the window's tests under Valgrind memcheck (about five minutes).
test-valgrind: build
	@bash scripts/valgrind-suite.sh $(BUILD_DIR)

bench: build
	@$(BUILD_DIR)/bench/vorn_bench
	@QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bench/ui/vorn_ui_bench
	@bash bench/compare-bench.sh $(BUILD_DIR)/cli/vorn-lut

# 10,000 files through vorn-lut convert (1 and 2 jobs: the speedup) and the window's batch,
# with peak memory.
bench-load: build
	@bash bench/load-bench.sh $(BUILD_DIR)

# vorn-lut apply of a 33-node cube to a 6000x4000 JPEG against djpeg + cjpeg, whole processes.
bench-apply: build
	@bash bench/compare-apply.sh $(BUILD_DIR)/cli/vorn-lut

# vornlut.read of a 64-node cube beside LoadLut in C++ and vorn-lut info of the same file.
bench-python: build
	@/usr/bin/python3 bench/python-read.py $(BUILD_DIR)

# vorn-lut info on 1,000 small files of mixed formats, whole process.
bench-detect: build
	@bash bench/detect-bench.sh $(BUILD_DIR)

screenshots: build
	@bash scripts/screenshot.sh $(BUILD_DIR)

peer: build
	@bash bench/compare-peer.sh $(BUILD_DIR)/cli/vorn-lut

CORPUS_DIR ?= $(CURDIR)/../shared/corpus
FUZZ_MINUTES ?= 30

fuzz-build: deps
	@cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DVORN_BUILD_FUZZ=ON -DVORN_BUILD_UI=OFF \
	  -DVORN_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzzers

# A short run of the LUT loader, the XML reader, the picture decoders and the ICC path for
# CI: seeds
# written by the program itself and kept in fuzz/, plus the shared corpus when it is there.
fuzz-smoke: fuzz-build
	@bash fuzz/make-seeds.sh loadlut $(FUZZ_DIR) $(FUZZ_DIR)/seeds-fuzz_loadlut
	@bash fuzz/smoke.sh $(FUZZ_DIR)/fuzz/fuzz_loadlut 60 $(FUZZ_DIR)/seeds-fuzz_loadlut \
	  $$([ -d $(CORPUS_DIR) ] && echo $(CORPUS_DIR))
	@bash fuzz/make-seeds.sh xml $(FUZZ_DIR) $(FUZZ_DIR)/seeds-fuzz_xml
	@bash fuzz/smoke.sh $(FUZZ_DIR)/fuzz/fuzz_xml 20 $(FUZZ_DIR)/seeds-fuzz_xml
	@bash fuzz/make-seeds.sh pictures $(FUZZ_DIR) $(FUZZ_DIR)/seeds-fuzz_pictures
	@bash fuzz/smoke.sh $(FUZZ_DIR)/fuzz/fuzz_pictures 30 $(FUZZ_DIR)/seeds-fuzz_pictures
	@bash fuzz/make-seeds.sh icc $(FUZZ_DIR) $(FUZZ_DIR)/seeds-fuzz_icc
	@bash fuzz/smoke.sh $(FUZZ_DIR)/fuzz/fuzz_icc 20 $(FUZZ_DIR)/seeds-fuzz_icc

# Every fuzz target in turn, FUZZ_MINUTES in total (not in CI); prints the figures.
fuzz-long: fuzz-build
	@nice bash fuzz/long.sh $(FUZZ_DIR) $(FUZZ_MINUTES)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR) $(FUZZ_DIR)
