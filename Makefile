# The two commands: `make check` builds everything and runs every test,
# `make demo` builds everything and runs the demo installer under Wine.
# Both first install whatever Debian packages are missing.

PRESETS := host host-asan win32 win64
JOBS ?= 2

.PHONY: all deps check demo build $(PRESETS) $(addprefix test-,$(PRESETS)) clean

all: build

deps:
	@scripts/install-deps.sh

build: host host-asan win32

# Configure once; after that the build itself re-runs CMake when it must.
$(PRESETS): deps
	@test -f build/$@/CMakeCache.txt || cmake --preset $@
	cmake --build build/$@ -j$(JOBS)

test-host: host
	ctest --test-dir build/host -j$(JOBS) --output-on-failure

test-host-asan: host-asan
	ctest --test-dir build/host-asan -j$(JOBS) --output-on-failure

# Wine suites run one at a time: they share one prefix and one wineserver.
# They run in the 32-bit build, which is what ships. A machine that cannot execute
# 32-bit programs (some virtual machines cannot) checks the 32-bit stub's image
# and runs the suites in a 64-bit build of the same sources instead.
test-win32: win32
	@if scripts/can-run-32bit.sh; then \
	  ctest --test-dir build/win32 --output-on-failure; \
	else \
	  echo "make: this machine cannot run 32-bit programs; the Windows suites run in the 64-bit build"; \
	  ctest --test-dir build/win32 --output-on-failure -L image && $(MAKE) test-win64; \
	fi

test-win64: win64
	ctest --test-dir build/win64 --output-on-failure

check: test-host test-host-asan test-win32 fuzz-smoke
	@echo "make check: all suites passed"

demo: host win32
	scripts/demo.sh

clean:
	rm -rf build

include mk/hardening.mk
