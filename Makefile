# One command per job on a fresh checkout. CMake does the work; this file only names the jobs.
JOBS         ?= $(shell nproc)
BUILD        ?= build
ASAN_BUILD   ?= build-asan
BENCH_BUILD  ?= build-bench
FUZZ_BUILD   ?= build-fuzz
RELEASE_BUILD ?= build-release
FUZZ_SECONDS ?= 60
GENERATOR    := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all build test test-asan bench demo fuzz install install-strip clean

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_C_FLAGS_DEBUG="-O1 -g" -DBRINDLE_SANITIZE=ON

test-asan: $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

$(BENCH_BUILD)/CMakeCache.txt:
	cmake -S . -B $(BENCH_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release \
	  -DBRINDLE_BUILD_TESTS=OFF -DBRINDLE_BUILD_BENCH=ON

bench: $(BENCH_BUILD)/CMakeCache.txt
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@set -e; for b in $(BENCH_BUILD)/benchmarks/*; do \
	  [ -x "$$b" ] || continue; echo "== $$b"; \
	  LD_LIBRARY_PATH=$(BENCH_BUILD)/lib "$$b" --benchmark_enable_random_interleaving=true; done

demo: $(BUILD)/CMakeCache.txt
	BUILD=$(BUILD) JOBS=$(JOBS) tools/demo/demo.sh

# Installing builds only what it installs: the libraries, the programs and their man pages, in
# a Release build of its own without the tests.
PREFIX ?= /usr/local
$(RELEASE_BUILD)/CMakeCache.txt:
	cmake -S . -B $(RELEASE_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DBRINDLE_BUILD_TESTS=OFF

install: $(RELEASE_BUILD)/CMakeCache.txt
	cmake --build $(RELEASE_BUILD) -j $(JOBS)
	cmake --install $(RELEASE_BUILD) --prefix $(PREFIX)

install-strip: $(RELEASE_BUILD)/CMakeCache.txt
	cmake --build $(RELEASE_BUILD) -j $(JOBS)
	cmake --install $(RELEASE_BUILD) --prefix $(PREFIX) --strip

fuzz:
	FUZZ_BUILD=$(FUZZ_BUILD) FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) bash fuzz/run.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(RELEASE_BUILD)
