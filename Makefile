# Front door: `make run` and `make test` install what is missing, build, and run.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
RUN_SETTINGS := $(BUILD)/run-settings

.PHONY: all deps configure build run test bench format clean

all: build

deps:
	@scripts/setup-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The program on the bundled sample logs, with a settings folder of its own under the build
# folder so that reading marks and settings of a session never change the repository.
run: build
	@mkdir -p $(RUN_SETTINGS)
	@if [ -d samples/settings ]; then cp -n samples/settings/* $(RUN_SETTINGS)/ 2>/dev/null || true; fi
	$(BUILD)/src/app/vornexpl --settings-dir $(RUN_SETTINGS) $(wildcard samples/*.LOG samples/*.log)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@ls $(BUILD)/bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
