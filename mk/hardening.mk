# Fuzzing and benchmarks of the package code; included by the top-level Makefile.
#
#   make fuzz         runs a libFuzzer target for FUZZ_SECONDS (default 600): the
#                     package reader's (FUZZ_TARGET=fuzz_installer, the default) or
#                     saverpack's reader of a saver's resources (fuzz_saver_resources);
#                     new inputs go to build/fuzz/corpus[-TARGET], crashes to build/fuzz/findings
#   make fuzz-smoke   a short fixed run of each over its committed seeds (part of make check)
#   make bench        the benchmarks, natively and under Wine, the stub's size, and the
#                     time from launch to the install prompt under Xvfb, and a silent
#                     install of a 64 MiB saver against an NSIS installer

FUZZ_DIR := build/fuzz
FUZZ_TARGET ?= fuzz_installer
# Each target's committed seeds.
FUZZ_SEEDS_fuzz_installer := tests/fuzz/seeds
FUZZ_SEEDS_fuzz_saver_resources := tests/fuzz/resource_seeds
FUZZ_CORPUS := $(FUZZ_DIR)/corpus$(if $(filter fuzz_installer,$(FUZZ_TARGET)),,-$(FUZZ_TARGET))
FUZZ_SECONDS ?= 600
FUZZ_SMOKE_RUNS ?= 20000
FUZZ_FLAGS ?=
# Extraction renames with write-through; on a memory file system that costs
# nothing, so the fuzzer spends its time in the code, not waiting for the disk.
FUZZ_TMPDIR := $(if $(wildcard /dev/shm),/dev/shm,/tmp)
FUZZ_OPTIONS := -max_len=16384 -artifact_prefix=$(FUZZ_DIR)/findings/ -print_final_stats=1

.PHONY: fuzz fuzz-smoke fuzz-build bench

# A clang build of its own: the fuzzer runtime and the coverage instrumentation
# need clang, while the other builds use the compilers of their presets.
fuzz-build: deps
	@test -f $(FUZZ_DIR)/CMakeCache.txt || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSAVERSTUB_WERROR=ON -DSAVERSTUB_SANITIZE=ON -DSAVERSTUB_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j$(JOBS) --target fuzz_installer fuzz_saver_resources

fuzz: fuzz-build
	@mkdir -p $(FUZZ_CORPUS) $(FUZZ_DIR)/findings
	TMPDIR=$(FUZZ_TMPDIR) $(FUZZ_DIR)/$(FUZZ_TARGET) $(FUZZ_OPTIONS) -max_total_time=$(FUZZ_SECONDS) $(FUZZ_FLAGS) \
	  $(FUZZ_CORPUS) $(FUZZ_SEEDS_$(FUZZ_TARGET))
	@echo "make fuzz: corpus in $(FUZZ_CORPUS); findings, if any, in $(FUZZ_DIR)/findings"

# The seeds are read, never written: the run's new inputs go to a scratch corpus.
# Its log is shown only when the run fails.
fuzz-smoke: fuzz-build
	@mkdir -p $(FUZZ_DIR)/findings
	@for target in fuzz_installer fuzz_saver_resources; do \
	  case $$target in fuzz_installer) seeds=$(FUZZ_SEEDS_fuzz_installer);; *) seeds=$(FUZZ_SEEDS_fuzz_saver_resources);; esac; \
	  rm -rf $(FUZZ_DIR)/smoke-corpus && mkdir -p $(FUZZ_DIR)/smoke-corpus; \
	  TMPDIR=$(FUZZ_TMPDIR) $(FUZZ_DIR)/$$target $(FUZZ_OPTIONS) -runs=$(FUZZ_SMOKE_RUNS) -seed=1 \
	    $(FUZZ_DIR)/smoke-corpus $$seeds >$(FUZZ_DIR)/smoke-$$target.log 2>&1 || \
	    { tail -n 60 $(FUZZ_DIR)/smoke-$$target.log; echo "fuzz-smoke: $$target FAILED; the input is in $(FUZZ_DIR)/findings"; exit 1; }; \
	  echo "fuzz-smoke: $$target $$(grep -E '^Done' $(FUZZ_DIR)/smoke-$$target.log), no findings"; \
	done
	@rm -rf $(FUZZ_DIR)/smoke-corpus

# Big inputs are generated at run time in a scratch directory and removed after.
# Extraction is measured twice on each side: in the temporary directory (a disk)
# and on /dev/shm (memory), which leaves the inflate loop alone in the figures.
# Where 32-bit programs cannot run, the Windows figures come from the 64-bit build.
BENCH_NATIVE := build/host/bench/saverstub_bench
BENCH_ARCH := $(shell scripts/can-run-32bit.sh && echo win32 || echo win64)
BENCH_WINDOWS_BUILD := build/$(BENCH_ARCH)
BENCH_WINDOWS := $(BENCH_WINDOWS_BUILD)/bench/saverstub_bench.exe

bench: host win32 $(BENCH_ARCH)
	@echo "== native =="
	$(BENCH_NATIVE) extract memory reader document
	$(BENCH_NATIVE) packer build/win32/saverstub.exe
	$(if $(wildcard /dev/shm),SAVERSTUB_BENCH_DIR=/dev/shm $(BENCH_NATIVE) extract)
	@echo "== Windows build ($(BENCH_ARCH)) under Wine =="
	$(BENCH_WINDOWS_BUILD)/wine-run $(BENCH_WINDOWS) extract memory reader document
	$(if $(wildcard /dev/shm),SAVERSTUB_BENCH_DIR='Z:\dev\shm' $(BENCH_WINDOWS_BUILD)/wine-run $(BENCH_WINDOWS) extract)
	@echo "== stub =="
	$(BENCH_NATIVE) size build/win32/saverstub.exe
	@echo "== start-up under Wine on Xvfb =="
	SAVERSTUB_WINEARCH=$(BENCH_ARCH) python3 bench/startup/startup_bench.py --build-dir $(BENCH_WINDOWS_BUILD)
	@echo "== silent install under Wine, against NSIS =="
	SAVERSTUB_WINEARCH=$(BENCH_ARCH) python3 bench/silent/silent_install_bench.py --build-dir $(BENCH_WINDOWS_BUILD)
