# make        builds into build/ (the command lands at build/bin/zorvik)
# make test   installs what is missing, builds and runs the tests
# make demo   installs what is missing, builds and renders the samples into out/
# make bench  installs what is missing, builds and runs the benchmarks
# make sanitize  the suite under ASan+UBSan, the fuzz targets, a batch under TSan (clang)
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

.PHONY: all build setup test demo bench sanitize clean

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

setup:
	scripts/setup

test: setup
	$(MAKE) build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The demo builds only what it runs; a later `make test` builds the rest in the same folder.
demo: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target zorvik_demo
	scripts/demo $(BUILD)/bin/zorvik out

bench: setup
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DZORVIK_BUILD_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)
	scripts/bench $(BUILD)

sanitize: setup
	JOBS=$(JOBS) scripts/sanitize

clean:
	rm -rf $(BUILD) build-asan build-tsan out
