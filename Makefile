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
# The fuzz targets, each with its corpus in fuzz/corpus/<target>/ (see fuzz/README.md).
FUZZ_TARGETS := receive setup preset firmware frames
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
	@cmake --build $(TSAN) -j$(JOBS) --target link_tests sim_tests app_tests wizard_serve_tests pages_tests levels_tests ext_source_tests sim_store_tests fuzz_receive dyn_eq_tests \
	    -- --no-print-directory

# libFuzzer targets, built with clang.
fuzz: setup
	@cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDARVIX_FUZZ=ON \
	    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
	@cmake --build $(FUZZ) -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS)) -- --no-print-directory

test-native: native
	@cd $(NATIVE) && ctest -j$(JOBS) --output-on-failure

test-sanitize: sanitize
	@cd $(SANITIZE) && ctest -j$(JOBS) --output-on-failure

test-tsan: tsan
	@cd $(TSAN) && ctest -j$(JOBS) -L "link|app|pages|dyneq|wizard" --output-on-failure

# Every checked-in corpus through the libFuzzer build (each input once, no fuzzing).
test-fuzz: fuzz
	@for t in $(FUZZ_TARGETS); do \
	    $(FUZZ)/bin/fuzz_$$t -runs=0 fuzz/corpus/$$t >$(FUZZ)/replay-$$t.log 2>&1 || \
	        { cat $(FUZZ)/replay-$$t.log; echo "fuzz corpus of $$t: FAILED"; exit 1; }; \
	    echo "fuzz corpus of $$t: $$(ls fuzz/corpus/$$t | wc -l) inputs replayed"; \
	done

# A fuzzing session: every target for FUZZ_SECONDS (FUZZ_WORKERS processes each). New inputs
# collect in $(FUZZ)/corpus/<target>; a crash, leak or broken check leaves its input in
# $(FUZZ)/<target>/ (crash-*, leak-*, timeout-*) and its log in $(FUZZ)/<target>.log.
FUZZ_WORKERS ?= 1
run-fuzz: fuzz
	@status=0; for t in $(FUZZ_TARGETS); do \
	    mkdir -p $(FUZZ)/corpus/$$t $(FUZZ)/$$t; \
	    ( cd $(FUZZ)/$$t && ../bin/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -workers=$(FUZZ_WORKERS) \
	        -jobs=$(FUZZ_WORKERS) -print_final_stats=1 ../corpus/$$t $(CURDIR)/fuzz/corpus/$$t \
	        >../$$t.log 2>&1 ); \
	    found=$$(ls $(FUZZ)/$$t | grep -E '^(crash|leak|timeout|oom)-' || true); \
	    if [ -n "$$found" ]; then status=1; echo "$$t: FOUND $$(echo $$found | tr '\n' ' ')(in $(FUZZ)/$$t)"; \
	    else echo "$$t: nothing found ($$(grep -o 'cov: [0-9]* ft: [0-9]*' $(FUZZ)/$$t.log $(FUZZ)/$$t/fuzz-*.log 2>/dev/null | tail -1 | cut -d: -f2-))"; fi; \
	done; exit $$status

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
	@echo "== dyn_eq_bench under Wine"; bash bench/chart_bench_wine.sh $(WINTREE) dyn_eq_bench
	@echo "== startup_bench"; bash bench/startup_bench.sh $(WINTREE)
	@echo "== write_bench.sh"; bash bench/write_bench.sh $(WINTREE)
	@echo "== repaint_bench.sh"; bash bench/repaint_bench.sh $(WINTREE)

run: wintree
	@bash scripts/run.sh $(WINTREE)

clean:
	rm -rf $(BUILD)
