# Makefile -- one-command build, run and test from a fresh Debian 12 machine (the real build is CMake's).

# Debian packages the build, the tests and the tools need (xauth: xvfb-run needs it and it is only a recommendation).
# The Windows build needs MinGW-w64's POSIX-threads compiler and, to run, Wine's 32-bit half (an i386 package).
PACKAGES := build-essential cmake pkg-config libsdl2-dev libpixman-1-dev googletest libgtest-dev libbenchmark-dev \
            xvfb xauth xfonts-base xdotool imagemagick g++-mingw-w64-i686-posix wine wine32
# The web build: Emscripten (and this machine's compiler, for the tool that draws intro.bmp) to build it, Chromium and
# npm (for the tests' driver, playwright-core) to test it; npm only where there is none (a node from elsewhere may
# bring its own, and conflict with Debian's).
WEB_PACKAGES := build-essential cmake emscripten chromium $(if $(shell command -v npm),,npm)
JOBS ?= 2

# The preset folders (fixed by CMakePresets.json).
DEFAULT_DIR := build/default
ASAN_DIR := build/asan
WINDOWS_DIR := build/windows
WEB_DIR := build/web
# What the web build fetches and installs once: pixman's sources, and the browser tests' driver.
WEB_SOURCES_DIR := build/web-sources
BROWSER_DRIVER_DIR := build/browser-driver

# `make web-run` serves the page on 127.0.0.1 at this port.
WEB_PORT ?= 8000

# Tests that need an X display get a virtual one when there is none.
WITH_DISPLAY := $(if $(DISPLAY),,xvfb-run -a -s "-screen 0 1024x768x24")

# `make run`: full screen on this display; with none, a few seconds on a virtual one, screenshots, then Escape.
RUN_FRAMES_DIR ?= $(DEFAULT_DIR)/frames

# Extra arguments for each benchmark binary, e.g. BENCH_ARGS=--benchmark_filter=Frame.
BENCH_ARGS ?=

.DEFAULT_GOAL := build
.PHONY: deps web-deps build windows web web-run browser-driver run test bench asan clean

# Installs the Debian packages named in $(1) that are missing, checked with dpkg-query (apt-get update only then; the
# i386 architecture first when wine32 is among them).
define install_missing
	@missing=""; \
	for package in $(1); do \
	    dpkg-query -W -f='$${Status}\n' "$$package" 2>/dev/null | grep -qx 'install ok installed' \
	        || missing="$$missing $$package"; \
	done; \
	if [ -n "$$missing" ]; then \
	    sudo=""; \
	    if [ "$$(id -u)" -ne 0 ] && command -v sudo >/dev/null 2>&1; then sudo=sudo; fi; \
	    echo "Installing:$$missing"; \
	    case " $$missing " in *" wine32 "*) \
	        dpkg --print-foreign-architectures | grep -qx i386 || $$sudo dpkg --add-architecture i386;; \
	    esac; \
	    $$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q \
	        && $$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

build: deps
	cmake --preset default
	cmake --build --preset default -j$(JOBS)

# The 32-bit Windows program, cross-built with MinGW-w64; its tests run under Wine.
windows: deps
	cmake --preset windows
	cmake --build --preset windows -j$(JOBS)

# The program in a web page: build/web holds index.html, page.js, tamberlyn.js, tamberlyn.wasm and intro.bmp.
web-deps:
	$(call install_missing,$(WEB_PACKAGES))

web: web-deps
	tools/web/fetch_sources.sh $(WEB_SOURCES_DIR)
	cmake --preset web
	cmake --build --preset web -j$(JOBS)

web-run: web
	node tools/web/serve.mjs $(WEB_DIR) $(WEB_PORT)

# playwright-core as tests/browser's lockfile pins it; it never downloads a browser (the tests run Debian's Chromium).
browser-driver: web-deps
	mkdir -p $(BROWSER_DRIVER_DIR)
	cp tests/browser/package.json tests/browser/package-lock.json $(BROWSER_DRIVER_DIR)/
	cd $(BROWSER_DRIVER_DIR) && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error

run: build
	tools/run_intro.sh $(DEFAULT_DIR) $(RUN_FRAMES_DIR)

# The default build's tests first, then the Windows build's under Wine and the web build's in Chromium (both also use
# the default build's tools and intro.bmp), then the default build's tests again under the sanitizers. Each build
# starts after the tests before it, so no more than $(JOBS) compilers run at once even under `make -j2`.
test: build
	ctest --preset default
	$(MAKE) --no-print-directory windows
	$(WITH_DISPLAY) ctest --preset windows
	$(MAKE) --no-print-directory browser-driver web
	ctest --preset web
	$(MAKE) --no-print-directory asan
	ctest --preset asan

bench: build
	@found=0; \
	for binary in $(DEFAULT_DIR)/bench/*; do \
	    [ -f "$$binary" ] && [ -x "$$binary" ] || continue; \
	    found=1; \
	    echo "== $$binary"; \
	    "$$binary" $(BENCH_ARGS) || exit 1; \
	done; \
	[ "$$found" -eq 1 ] || { echo "no benchmark binaries in $(DEFAULT_DIR)/bench"; exit 1; }

asan: deps
	cmake --preset asan
	cmake --build --preset asan -j$(JOBS)

clean:
	rm -rf build
