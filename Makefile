# The front door. `make test` and `make demo` work on a fresh machine: they install
# what is missing (as root; otherwise they print the command), configure and build.
#
#   make build   both builds: build/native (core + tests, sanitizers) and build/win
#   make test    build, then every test: native, then under Wine in a virtual display
#   make demo    build, then run the demo editor (a screenshot to build/demo.png
#                and exit when there is no display)
#   make bench   the core benchmarks (optimised, no sanitizers) and, under Wine,
#                the benchmark host
#   make fuzz    the core fuzzer (clang, libFuzzer) for FUZZ_SECONDS (600), starting
#                from the corpus in tests/fuzz/corpus; new inputs go to build/fuzz/corpus
#   make soak    build, then the long runs under Wine: the message sweep with every
#                pairing of arguments, long random message sequences and the leak soak
#                (an hour or more; SOAK_SEQUENCES=<seeds>,<messages> to change the sequences)
#   make generate   rewrite include/quorvane.h, quorvane.inc, Quorvane.pas and
#                docs/reference.md from interface/quorvane.toml
#   make dist    build, then dist/quorvane-VERSION.zip: the DLL, the headers, the
#                docs, the demo and the C host example, the release's README, LICENSE
#                and CHANGES.md; then the zip's check (tools/check-dist)

# Quiet front door: progress, results and errors only.
MAKEFLAGS += --no-print-directory
SHELL := /bin/bash
.SHELLFLAGS := -o pipefail -c
QUIET_CMAKE := -DCMAKE_RULE_MESSAGES=OFF -Wno-dev
# ctest prints a start and a pass line per test; keep failures, their output and
# the summary.
CTEST_FILTER := grep -vE '^ +Start |Test +\#[0-9]+: .* Passed|^Internal ctest|^Test project|^$$' || true

NATIVE := build/native
WIN    := build/win
BENCH  := build/bench
FUZZ   := build/fuzz
FUZZ_SECONDS ?= 600
FUZZ_JOBS    ?= 1
FUZZ_MAX_LEN ?= 512
JOBS   ?= $(shell nproc)
XVFB   := xvfb-run -a -s "-screen 0 1280x1024x24"

.PHONY: all build native win test test-native test-win soak demo bench fuzz bootstrap generate dist clean

all: build

bootstrap:
	@tools/bootstrap

build: native win

native: bootstrap
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug $(QUIET_CMAKE) >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS)

win: bootstrap
	@cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo $(QUIET_CMAKE) >/dev/null
	@cmake --build $(WIN) -j$(JOBS)

test: build
	@$(MAKE) --no-print-directory test-native test-win

test-native:
	@tools/check-layers
	@tools/check-globals
	@echo "Native tests (sanitizers on):"
	@ctest --test-dir $(NATIVE) --output-on-failure -j$(JOBS) | { $(CTEST_FILTER); }

test-win:
	@echo "Windows tests (under Wine):"
	@$(XVFB) ctest --test-dir $(WIN) --output-on-failure | { $(CTEST_FILTER); }

# The tests print their figures (cases, messages, counts, time) in the verbose log,
# build/win/soak.log; the figures and the summary are shown.
SOAK_SEQUENCES ?= 40,25000
soak: win
	@echo "Soak (under Wine): the full sweep, sequences $(SOAK_SEQUENCES) (seeds,messages), the leak soak"
	@$(XVFB) env QV_SWEEP=full QV_SEQUENCES=$(SOAK_SEQUENCES) QV_SOAK=full \
		ctest --test-dir $(WIN) -V --timeout 14400 -R 'MessageSweep|MessageSequence|LeakSoak' >$(WIN)/soak.log 2>&1; \
		status=$$?; grep -E '^[0-9]+: (Sweep|Sequences|Soak)|tests (passed|failed)' $(WIN)/soak.log; \
		[ $$status -eq 0 ] || echo "Failures: see $(WIN)/soak.log"; exit $$status

demo: win
	@if [ -n "$$DISPLAY" ]; then \
		tools/wine-run $(WIN)/bin/QuorvaneDemo.exe demo/sample.asm; \
	else \
		rm -f build/demo.png; \
		tools/wine-run $(WIN)/bin/QuorvaneDemo.exe --screenshot build/demo.png demo/sample.asm \
			2> >(grep -v '^X connection to .* broken' >&2) && \
		test -s build/demo.png && echo "Screenshot: build/demo.png"; \
	fi

bench: bootstrap win
	@cmake -S . -B $(BENCH) -DCMAKE_BUILD_TYPE=Release -DQV_SANITIZE=OFF -DQV_BENCH=ON >/dev/null
	@cmake --build $(BENCH) -j$(JOBS) --target core_bench
	@$(BENCH)/core_bench
	@if [ -x $(WIN)/bin/QuorvaneBench.exe ]; then $(XVFB) tools/wine-run $(WIN)/bin/QuorvaneBench.exe; fi

# The fuzzer's own corpus grows in build/fuzz/corpus; a crash leaves its input in
# build/fuzz/crash-* (replay it with build/native/core_fuzz_replay FILE). It runs
# niced: the machines are shared. FUZZ_JOBS > 1 runs that many jobs in parallel.
fuzz: bootstrap
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON $(QUIET_CMAKE) >/dev/null
	@cmake --build $(FUZZ) -j$(JOBS) --target core_fuzzer
	@mkdir -p $(FUZZ)/corpus
	@echo "Core fuzzer: $(FUZZ_SECONDS) s, $(FUZZ_JOBS) job(s), inputs up to $(FUZZ_MAX_LEN) bytes"
	@cd $(FUZZ) && nice ./core_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=$(FUZZ_MAX_LEN) -timeout=20 \
		-rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix=./ \
		$(if $(filter-out 1,$(FUZZ_JOBS)),-jobs=$(FUZZ_JOBS) -workers=$(FUZZ_JOBS)) \
		corpus ../../tests/fuzz/corpus 2>&1 | grep -vE '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse)'

generate:
	@tools/qvgen

# Only what the zip carries is built; the zip is then checked as its reader finds it.
dist: bootstrap
	@cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo $(QUIET_CMAKE) >/dev/null
	@cmake --build $(WIN) -j$(JOBS) --target Quorvane QuorvaneDemo QuorvaneHostExample | { grep -v '^\[ *[0-9]*%\] Built target' || true; }
	@tools/check-dist --build $(WIN) --work dist

clean:
	rm -rf build dist
