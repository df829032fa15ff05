# Makefile -- one-command build, run and test from a fresh Debian 12 machine (the real build is CMake's).

# Debian packages. Running the Linux program needs the compilers, CMake, SDL2, pixman, Xlib with its shared-memory
# and RENDER extensions (frames scaled by the X server), and without a display a virtual one: Xvfb (with xauth, which
# xvfb-run needs), xdotool and ImageMagick. xfonts-base: SDL's X11 message boxes need a core X font. (The X
# libraries come with libsdl2-dev; xauth and xfonts-base are only recommendations of what we install.)
RUN_PACKAGES := build-essential cmake pkg-config libsdl2-dev libpixman-1-dev libx11-dev libxext-dev libxrender-dev \
	xvfb xauth xfonts-base xdotool imagemagick
# Everything else the tests, the benchmarks and the Windows build need: GoogleTest, Google Benchmark, MinGW-w64's
# POSIX-threads compiler and, to run its programs, Wine's 32-bit half (an i386 package).
TEST_PACKAGES := $(RUN_PACKAGES) googletest libgtest-dev libbenchmark-dev g++-mingw-w64-i686-posix wine wine32
# The web build: Emscripten (and this machine's compiler, for the tool that draws intro.bmp) to build it, Chromium to
# test it (driven from node, which Emscripten brings, through its DevTools protocol).
WEB_PACKAGES := build-essential cmake emscripten chromium
JOBS ?= 2

# The preset folders (fixed by CMakePresets.json).
DEFAULT_DIR := build/default
ASAN_DIR := build/asan
WINDOWS_DIR := build/windows
WEB_DIR := build/web

# What the web build fetches once: pixman's sources.
WEB_SOURCES_DIR := build/web-sources

# `make web-run` serves the page on 127.0.0.1 at this port.
WEB_PORT ?= 8000

# Tests that need an X display get a virtual one when there is none.
WITH_DISPLAY := $(if $(DISPLAY),,xvfb-run -a -s "-screen 0 1024x768x24")

# `make run`: full screen on this display; with none, a few seconds on a virtual one, screenshots, then Escape.
RUN_FRAMES_DIR ?= $(DEFAULT_DIR)/frames

# Extra arguments for each benchmark binary, e.g. BENCH_ARGS=--benchmark_filter=Frame.
BENCH_ARGS ?=

.DEFAULT_GOAL := build
.PHONY: help deps run-deps web-deps build windows web web-run run test bench bench-program bench-wine asan clean

help:
	@echo "make [build]  install everything missing (make deps), build the default preset: program, tests, benchmarks"
	@echo "make run      install what running needs (make run-deps), build the program, show the intro"
	@echo "              (full screen on this display; without one, a few seconds on a virtual one, screenshots)"
	@echo "make test     install everything missing, build, run every test: native, Windows under Wine, the web page"
	@echo "              in Chromium, sanitizers"
	@echo "make bench    build, run every benchmark (BENCH_ARGS=... passes options to each)"
	@echo "make bench-program  the whole program timed from outside, headless and on a virtual X screen"
	@echo "make bench-wine     the intro's frames under Wine and on our layer, side by side"
	@echo "make asan     build the asan preset (address and undefined-behaviour sanitizers)"
	@echo "make windows  build the 32-bit Windows program with MinGW-w64"
	@echo "make web      build the program for a web page into build/web (Emscripten)"
	@echo "make web-run  build it and serve build/web on 127.0.0.1 (WEB_PORT, default 8000)"
	@echo "make deps     install the Debian packages of RUN_PACKAGES and TEST_PACKAGES that are missing"
	@echo "make run-deps install those of RUN_PACKAGES only"
	@echo "make web-deps install those of WEB_PACKAGES"
	@echo "make clean    remove build/ (the Wine prefix with it)"

# Installs the Debian packages of $(1) that are missing (apt-get update only then), as root or through sudo; Wine's
# 32-bit half needs the i386 architecture added first.
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
	$(call install_missing,$(TEST_PACKAGES))

run-deps:
	$(call install_missing,$(RUN_PACKAGES))

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

# The program alone (and intro.bmp): the tests and benchmarks are left out where their packages are missing.
run: run-deps
	cmake --preset default
	cmake --build --preset default --target tamberlyn -j$(JOBS)
	tools/run_intro.sh $(DEFAULT_DIR) $(RUN_FRAMES_DIR)

# The default build's tests first, then the Windows build's under Wine and the web build's in Chromium (both also use
# the default build's tools and intro.bmp), then the default build's tests again under the sanitizers. Each build
# starts after the tests before it, so no more than $(JOBS) compilers run at once even under `make -j2`.
test: build
	ctest --preset default
	$(MAKE) --no-print-directory windows
	$(WITH_DISPLAY) ctest --preset windows
	$(MAKE) --no-print-directory web
	ctest --preset web
	$(MAKE) --no-print-directory asan
	ctest --preset asan

bench: build
	@found=0; \
	for binary in $(DEFAULT_DIR)/bench/*_bench; do \
	    [ -f "$$binary" ] && [ -x "$$binary" ] || continue; \
	    found=1; \
	    echo "== $$binary"; \
	    "$$binary" $(BENCH_ARGS) || exit 1; \
	done; \
	[ "$$found" -eq 1 ] || { echo "no benchmark binaries in $(DEFAULT_DIR)/bench"; exit 1; }

# The whole program timed from outside, headless and on a virtual X screen, beside frame_bench's figures.
bench-program: build
	bench/program_bench.sh --build $(DEFAULT_DIR)

# Wine beside us: the intro's frames under Wine and on our layer, on one virtual X screen.
bench-wine: build windows
	bench/wine_bench.sh --native $(DEFAULT_DIR) --windows $(WINDOWS_DIR)

asan: deps
	cmake --preset asan
	cmake --build --preset asan -j$(JOBS)

clean:
	rm -rf build
