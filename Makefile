# The two commands: `make run` and `make test`. Both install what is missing first.
ARGS ?= /s
JOBS ?= 2

.PHONY: all setup tools assets win32 win64 native linux run run-native install-linux test unit e2e \
	e2e-native measure measure-twins dist clean

all: win32

setup:
	@scripts/setup.sh

tools: setup
	@cmake --preset tools >/dev/null
	@cmake --build build/tools -j$(JOBS)

# Painting every picture takes minutes: a generator runs again only when it was built after its
# last complete run (its stamp), so a build that changed nothing in it keeps the files it made.
ASSETGEN := build/tools/tools/assetgen/assetgen
SOUNDGEN := build/tools/tools/soundgen/soundgen
assets: tools
	@mkdir -p build/assets/install build/assets/resources
	@if [ -x $(ASSETGEN) ] && ! [ build/assets/assetgen.stamp -nt $(ASSETGEN) ]; then \
		rm -f build/assets/assetgen.stamp && \
		$(ASSETGEN) -j$(JOBS) build/assets/install build/assets/resources && \
		touch build/assets/assetgen.stamp; fi
	@if [ -x $(SOUNDGEN) ] && ! [ build/assets/soundgen.stamp -nt $(SOUNDGEN) ]; then \
		rm -f build/assets/soundgen.stamp && \
		$(SOUNDGEN) build/assets/install && \
		touch build/assets/soundgen.stamp; fi

win32: assets
	@cmake --preset win32 >/dev/null
	@cmake --build build/win32 -j$(JOBS)

# The same program built for 64-bit Windows: what the Wine tests drive on a machine whose
# kernel cannot run 32-bit programs (and so no 32-bit Wine). It is not shipped.
win64: assets
	@cmake --preset win64 >/dev/null
	@cmake --build build/win64 -j$(JOBS)

native: setup
	@cmake --preset native >/dev/null
	@cmake --build build/native -j$(JOBS)

# win64 too: on a machine that cannot run 32-bit programs the 64-bit build is what Wine runs.
run: win32 win64
	@scripts/run.sh $(ARGS)

# The X11 hack, natively: `make run-native` (HACK_ARGS=-root, or any of `hearthglow -help`).
HACK_ARGS ?= -window
linux: assets
	@cmake --preset linux >/dev/null
	@cmake --build build/linux -j$(JOBS)

run-native: linux
	@scripts/run-native.sh $(HACK_ARGS)

# Where xscreensaver looks for hacks and their settings files; DESTDIR for packagers.
PREFIX ?= /usr
install-linux: assets
	@cmake --preset linux -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	@cmake --build build/linux -j$(JOBS)
	@DESTDIR=$(DESTDIR) cmake --install build/linux

unit: native
	@cd build/native && ctest --output-on-failure -j$(JOBS)

# The release folder build/dist: the setup program, the portable zip and SHA256SUMS.
dist: win32
	@python3 scripts/dist.py

e2e: win32 dist win64
	@python3 scripts/dist.py --amd64
	@python3 tests/e2e/run_e2e.py

e2e-native: linux
	@python3 tests/native/run_native.py

test: unit e2e e2e-native

# What showing the hearth costs, beside the baseline build; not part of the tests.
measure: win32 win64 linux
	@python3 scripts/measure.py $(MEASURE_ARGS)

# How far each shipped twin strays from its painting, and what the setup program weighs.
measure-twins: assets dist
	@$(ASSETGEN) -j$(JOBS) --twins build/assets/install

clean:
	rm -rf build
