# Two commands for a new machine: `make run` and `make test`.
# Everything below wraps CMake; the build trees live under build/.

JOBS ?= 8
BUILD := build
NATIVE := $(BUILD)/native
SANITIZE := $(BUILD)/sanitize
WIN32 := $(BUILD)/win32
WIN64 := $(BUILD)/win64
TSAN := $(BUILD)/tsan
FUZZ := $(BUILD)/fuzz
FUZZ_SECONDS ?= 60
# Paths relative to the checkout, so that worktrees share compiler-cache entries.
export CCACHE_BASEDIR := $(CURDIR)

.PHONY: all setup native sanitize win32 win64 wintree tsan fuzz test test-native test-sanitize test-win32 \
        test-tsan test-fuzz run-fuzz bench run clean

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

# The same sources for x86-64: the tree the Windows tests and `make run` use on a machine that
# cannot run 32-bit code (see scripts/wine-tree.sh).
win64: setup
	@cmake -S . -B $(WIN64) -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-x86_64.cmake >/dev/null
	@cmake --build $(WIN64) -j$(JOBS) -- --no-print-directory

# Builds the Windows tree that runs on this machine (WINTREE names it).
WINTREE = $$(bash scripts/wine-tree.sh $(WIN32) $(WIN64))
wintree: win32
	@[ "$(WINTREE)" = "$(WIN32)" ] || $(MAKE) --no-print-directory win64

# ThreadSanitizer: the threaded parts (link, simulator, the tuning page's edits against the send
# cycle) and their tests.
tsan: setup
	@cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDARVIX_TSAN=ON >/dev/null
	@cmake --build $(TSAN) -j$(JOBS) --target link_tests sim_tests app_tests wizard_serve_tests pages_tests levels_tests ext_source_tests fuzz_receive_replay dyn_eq_tests \
	    -- --no-print-directory

# libFuzzer targets, built with clang.
fuzz: setup
	@cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDARVIX_FUZZ=ON \
	    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
	@cmake --build $(FUZZ) -j$(JOBS) --target fuzz_receive -- --no-print-directory

test-native: native
	@cd $(NATIVE) && ctest -j$(JOBS) --output-on-failure

test-sanitize: sanitize
	@cd $(SANITIZE) && ctest -j$(JOBS) --output-on-failure

test-tsan: tsan
	@cd $(TSAN) && ctest -j$(JOBS) -L "link|app|pages|dyneq|wizard" --output-on-failure

# The checked-in corpus through the libFuzzer build (each input once, no fuzzing).
test-fuzz: fuzz
	@$(FUZZ)/bin/fuzz_receive -runs=0 fuzz/corpus/receive/* >$(FUZZ)/replay.log 2>&1 || \
	    { cat $(FUZZ)/replay.log; exit 1; }
	@echo "fuzz corpus: $$(grep -c '^Executed' $(FUZZ)/replay.log) inputs replayed"

# A fuzzing session; new inputs collect in $(FUZZ)/corpus (merge the useful ones by hand).
run-fuzz: fuzz
	@mkdir -p $(FUZZ)/corpus
	@$(FUZZ)/bin/fuzz_receive -max_total_time=$(FUZZ_SECONDS) $(FUZZ)/corpus fuzz/corpus/receive

# The product is the 32-bit build; it is always built, and its tests run under Wine wherever this
# machine runs 32-bit code (otherwise the x86-64 build of the same sources runs them).
test-win32: wintree
	@bash scripts/wine-ctest.sh $(WINTREE) -j$(JOBS)

# Every test of every build; the first failing build stops the run with a non-zero status.
test: test-native test-sanitize test-tsan test-fuzz test-win32

# Benchmarks print their figures (native, optimised build); they are not part of `make test`.
bench: native wintree
	@for b in $(NATIVE)/bin/*_bench; do echo "== $$(basename $$b)"; $$b; done
	@echo "== chart_bench under Wine"; bash bench/chart_bench_wine.sh $(WINTREE)
	@echo "== eq_bench under Wine"; bash bench/chart_bench_wine.sh $(WINTREE) eq_bench
	@echo "== startup_bench"; bash bench/startup_bench.sh $(WINTREE)
	@echo "== write_bench.sh"; bash bench/write_bench.sh $(WINTREE)

run: wintree
	@bash scripts/run.sh $(WINTREE)

clean:
	rm -rf $(BUILD)
