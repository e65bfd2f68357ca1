# Front door: `make run` and `make test` install what is missing, build, and run.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
RUN_SETTINGS := $(BUILD)/run-settings

.PHONY: all deps configure build run run-settings test test-sanitize package bench format clean walkthrough

all: build

deps:
	@scripts/setup-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The program on the NetVorn sample log, with a settings folder of its own under the build
# folder so that reading marks and settings of a session never change the repository. The
# sample sets there read their logs from samples/, so the Nifty-Serve sample is one
# File > Open away.
run: build run-settings
	$(BUILD)/src/app/vornexpl --settings-dir $(RUN_SETTINGS) samples/NET19990730.LOG

run-settings:
	@scripts/run-settings samples $(RUN_SETTINGS)

# The tests keep what the program caches between runs in the build folder, never in the user's.
test: build
	rm -rf $(BUILD)/test-cache
	cd $(BUILD) && XDG_CACHE_HOME=$(abspath $(BUILD))/test-cache ctest --output-on-failure -j $(JOBS)

# A new user's first session in a real X window of 1400x900 (Xvfb), a picture of each step in
# $(BUILD)/walkthrough. About a minute; not part of `make test`.
walkthrough: build
	bash tests/e2e/with_xvfb.sh 1400x900x24 bash tests/e2e/first_run_walkthrough.sh \
	  $(BUILD)/src/app/vornexpl $(CURDIR) $(BUILD)/walkthrough

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer, in a build folder
# of its own. Leaks inside the system's libraries are not ours to fix (tests/sanitize.supp).
# libxkbcommon-x11 hands strndup a keymap name without a terminating NUL, which the strict
# strndup interceptor reports whenever a test opens an X connection; our code has no strndup.
SANITIZE_BUILD ?= build-sanitize
test-sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DVORN_SANITIZE=ON -DVORN_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	rm -rf $(SANITIZE_BUILD)/test-cache
	cd $(SANITIZE_BUILD) && XDG_CACHE_HOME=$(abspath $(SANITIZE_BUILD))/test-cache \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:intercept_strndup=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS) $(SANITIZE_CTEST_FLAGS)

# A Debian package of the program: $(BUILD)/vornexplorer_<version>_<arch>.deb.
package: build
	cd $(BUILD) && cpack -G DEB

bench: build
	@ls $(BUILD)/bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
