# Two commands for a new machine: `make run` and `make test`.
# Everything below wraps CMake; the build trees live under build/.

JOBS ?= 8
BUILD := build
NATIVE := $(BUILD)/native
SANITIZE := $(BUILD)/sanitize
WIN32 := $(BUILD)/win32

.PHONY: all setup native sanitize win32 test test-native test-sanitize test-win32 run bench clean

all: native win32

setup:
	@bash scripts/setup.sh

native: setup
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS) -- --no-print-directory

sanitize: setup
	@cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DDARVIX_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE) -j$(JOBS) -- --no-print-directory

win32: setup
	@cmake -S . -B $(WIN32) -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake >/dev/null
	@cmake --build $(WIN32) -j$(JOBS) -- --no-print-directory

test-native: native
	@cd $(NATIVE) && ctest -j$(JOBS) --output-on-failure

test-sanitize: sanitize
	@cd $(SANITIZE) && ctest -j$(JOBS) --output-on-failure

test-win32: win32
	@bash scripts/wine-ctest.sh $(WIN32) -j$(JOBS)

# Every test of both builds; the first failing build stops the run with a non-zero status.
test: test-native test-sanitize test-win32

# Benchmarks print their figures (native, optimised build); they are not part of `make test`.
bench: native
	@for b in $(NATIVE)/bin/*_bench; do echo "== $$(basename $$b)"; $$b; done

run: win32
	@bash scripts/run.sh $(WIN32)

clean:
	rm -rf $(BUILD)
