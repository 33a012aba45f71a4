# The two commands: `make check` builds everything and runs every test,
# `make demo` builds everything and runs the demo installer under Wine.
# Both first install whatever Debian packages are missing.

PRESETS := host host-asan win32
JOBS ?= 2

.PHONY: all deps check demo build $(PRESETS) $(addprefix test-,$(PRESETS)) clean

all: build

deps:
	@scripts/install-deps.sh

build: $(PRESETS)

# Configure once; after that the build itself re-runs CMake when it must.
$(PRESETS): deps
	@test -f build/$@/CMakeCache.txt || cmake --preset $@
	cmake --build build/$@ -j$(JOBS)

test-host: host
	ctest --test-dir build/host -j$(JOBS) --output-on-failure

test-host-asan: host-asan
	ctest --test-dir build/host-asan -j$(JOBS) --output-on-failure

# Wine suites run one at a time: they share one prefix and one wineserver.
test-win32: win32
	ctest --test-dir build/win32 --output-on-failure

check: test-host test-host-asan test-win32 fuzz-smoke
	@echo "make check: all suites passed"

demo: host win32
	scripts/demo.sh

clean:
	rm -rf build

include mk/hardening.mk
