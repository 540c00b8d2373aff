# The two commands: `make run` and `make test`. Both install what is missing first.
ARGS ?= /s
JOBS ?= 2

.PHONY: all setup tools assets win32 native run test unit e2e dist measure clean

all: win32

setup:
	@scripts/setup.sh

tools: setup
	@cmake --preset tools >/dev/null
	@cmake --build build/tools -j$(JOBS)

assets: tools
	@mkdir -p build/assets/install build/assets/resources
	@if [ -x build/tools/tools/assetgen/assetgen ]; then build/tools/tools/assetgen/assetgen build/assets/install build/assets/resources; fi
	@if [ -x build/tools/tools/soundgen/soundgen ]; then build/tools/tools/soundgen/soundgen build/assets/install; fi

win32: assets
	@cmake --preset win32 >/dev/null
	@cmake --build build/win32 -j$(JOBS)

native: setup
	@cmake --preset native >/dev/null
	@cmake --build build/native -j$(JOBS)

run: win32
	@scripts/run.sh $(ARGS)

unit: native
	@cd build/native && ctest --output-on-failure -j$(JOBS)

# The release folder build/dist: the setup program, the portable zip and SHA256SUMS.
dist: win32
	@python3 scripts/dist.py

e2e: win32 dist
	@python3 tests/e2e/run_e2e.py

test: unit e2e

# What showing the hearth costs, beside the baseline build; not part of the tests.
measure: win32
	@python3 scripts/measure.py $(MEASURE_ARGS)

clean:
	rm -rf build
