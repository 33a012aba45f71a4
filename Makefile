# The two commands: `make check` builds everything and runs every test,
# `make demo` builds everything and runs the demo installer under Wine.
# Both first install whatever Debian packages are missing.

PRESETS := host host-asan win32 win64
JOBS ?= 2
E2E_JOBS ?= 2

.PHONY: all deps check demo build $(PRESETS) $(addprefix test-,$(PRESETS)) clean install dist repro-check

all: build

deps:
	@scripts/install-deps.sh

build: host host-asan win32

# Configure once; after that the build itself re-runs CMake when it must.
configure = @test -f build/$(1)/CMakeCache.txt || cmake --preset $(1)

$(PRESETS): deps
	$(call configure,$@)
	cmake --build build/$@ -j$(JOBS)

test-host: host
	ctest --test-dir build/host -j$(JOBS) --output-on-failure

test-host-asan: host-asan
	ctest --test-dir build/host-asan -j$(JOBS) --output-on-failure

# Wine suites run one at a time: they share one prefix and one wineserver. The
# end-to-end modules each copy a prefix of their own and start their own Xvfb, so
# they run two at a time: most of their time is waiting for windows, which
# halves the suites' time on two cores.
# They run in the 32-bit build, which is what ships. A machine that cannot execute
# 32-bit programs (some virtual machines cannot) checks the 32-bit stub's image
# and runs the suites in a 64-bit build of the same sources instead.
test-win32: win32
	@if scripts/can-run-32bit.sh; then \
	  ctest --test-dir build/win32 --output-on-failure -LE e2e && \
	  ctest --test-dir build/win32 --output-on-failure -L e2e -j$(E2E_JOBS); \
	else \
	  echo "make: this machine cannot run 32-bit programs; the Windows suites run in the 64-bit build"; \
	  ctest --test-dir build/win32 --output-on-failure -L image && $(MAKE) test-win64; \
	fi

test-win64: win64
	ctest --test-dir build/win64 --output-on-failure -LE e2e
	ctest --test-dir build/win64 --output-on-failure -L e2e -j$(E2E_JOBS)

# win32 first: the host build's test of `make install` needs its stub.
check: win32 test-host test-host-asan test-win32 repro-check fuzz-smoke
	@echo "make check: all suites passed"

# Where 32-bit programs cannot run, the demo runs the 64-bit build of the same sources.
demo: host win32
	@if scripts/can-run-32bit.sh; then \
	  scripts/demo.sh; \
	else \
	  echo "make: this machine cannot run 32-bit programs; the demo runs the 64-bit build"; \
	  $(MAKE) win64 && DEMO_WIN32_BUILD=build/win64 SAVERSTUB_WINEARCH=win64 scripts/demo.sh; \
	fi

# The packer from the native build, its stub from the win32 build.
PREFIX ?= /usr/local
install: deps
	$(call configure,win32)
	$(call configure,host)
	cmake --build build/win32 -j$(JOBS) --target saverstub
	cmake --build build/host -j$(JOBS) --target saverpack
	cmake --install build/host --prefix "$(PREFIX)" --strip

# build/dist/saverpack-VERSION-win32.zip: saverpack.exe, saverstub.exe and README.md.
# The version is set once, in CMakeLists.txt.
VERSION := $(shell sed -n 's/^project.saverstub VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
DIST_ZIP := saverpack-$(VERSION)-win32.zip
dist: deps
	$(call configure,win32)
	cmake --build build/win32 -j$(JOBS) --target dist
	@mkdir -p build/dist
	cp build/win32/dist/$(DIST_ZIP) build/dist/$(DIST_ZIP)
	@echo "dist: build/dist/$(DIST_ZIP), $$(stat -c %s build/dist/$(DIST_ZIP)) bytes"

# Two builds of the same sources in different folders give the same stub. The
# second one is built in another folder and at another time; only the stub is built.
REPRO_DIR := build/repro-check
repro-check: win32
	@test -f $(REPRO_DIR)/CMakeCache.txt || cmake --preset win32 -B $(REPRO_DIR) >/dev/null
	cmake --build $(REPRO_DIR) -j$(JOBS) --target saverstub >/dev/null
	cmp build/win32/saverstub.exe $(REPRO_DIR)/saverstub.exe
	@echo "repro-check: build/win32/saverstub.exe and $(REPRO_DIR)/saverstub.exe are identical ($$(stat -c %s build/win32/saverstub.exe) bytes)"

clean:
	rm -rf build

include mk/hardening.mk
