# Norvane: make run | make test | make bench | make asan | make clean

BUILD      ?= build
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60
CMAKE_ARGS ?=

.PHONY: all deps configure build run test bench asan fuzz clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ] && [ -z "$${QT_QPA_PLATFORM:-}" ]; then \
	  echo "Norvane needs a graphical display: run 'make run' in a desktop session, or under xvfb-run (xvfb-run -s \"-screen 0 1600x1000x24\" make run)."; \
	  exit 1; \
	fi
	@$(BUILD)/bin/norvane

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	@scripts/test-share.sh

bench: deps
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DNORVANE_BENCH=ON -DNORVANE_TESTS=OFF >/dev/null
	@cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bin/bench_*; do echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b; done

SANITIZER_ENV = QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0

asan: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DNORVANE_SANITIZE=ON >/dev/null
	@$(SANITIZER_ENV) cmake --build build-asan -j $(JOBS)
	@cd build-asan && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

# Each reader's harness for FUZZ_SECONDS, from its seed inputs, with clang's
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer. Findings are kept
# in build-fuzz/findings/.
fuzz:
	@scripts/install-deps.sh --fuzz
	@cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DNORVANE_FUZZ=ON -DNORVANE_TESTS=OFF >/dev/null
	@$(SANITIZER_ENV) cmake --build build-fuzz -j $(JOBS) --target fuzz-harnesses
	@$(SANITIZER_ENV) scripts/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build build-bench build-asan build-fuzz
