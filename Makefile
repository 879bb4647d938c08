# Two entry points for a fresh Debian machine: `make play` and `make test`.
# Both install what is missing, configure and build first.

BUILD      ?= build
SAN_BUILD  ?= build-san
JOBS       ?= $(shell nproc)
CLANGXX    := $(shell command -v clang++ 2>/dev/null)
CTEST_ARGS ?= --output-on-failure --timeout 600

.PHONY: all deps configure build test unit san play demo bench format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Every test: the unit, fuzz-replay, window and end-to-end tests of the release build, then the unit
# tests and fuzz replays again under AddressSanitizer and UndefinedBehaviorSanitizer.
test: unit san

unit: build
	ctest --test-dir $(BUILD) -j $(JOBS) $(CTEST_ARGS)

# clang when present (the fuzz harnesses then link with libFuzzer), else gcc's sanitizers.
san: deps
	@if [ ! -f $(SAN_BUILD)/CMakeCache.txt ]; then \
	  if [ -n "$(CLANGXX)" ]; then \
	    CC=clang CXX=clang++ cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	      -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_C_FLAGS_DEBUG="-O1 -g" \
	      -DVOBE_SANITIZE=ON -DVOBE_FUZZ=ON -DVOBE_BENCH=OFF -DVOBE_PROGRAMS=OFF; \
	  else \
	    cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	      -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_C_FLAGS_DEBUG="-O1 -g" \
	      -DVOBE_SANITIZE=ON -DVOBE_BENCH=OFF -DVOBE_PROGRAMS=OFF; \
	  fi; \
	fi
	cmake --build $(SAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(SAN_BUILD) -j $(JOBS) $(CTEST_ARGS)

# The demo game, compiled from demo/ by the game compiler.
demo: build
	$(BUILD)/bin/vobetool build demo $(BUILD)/demo

# Plays the demo in a window. The player's own exit status is reported, not turned into a failure.
play: demo
	@$(BUILD)/bin/vobeplayer $(BUILD)/demo || echo "make play: vobeplayer ended with status $$?"

bench: build
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b; done

format:
	find src tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
