# The two commands a newcomer needs: `make run` and `make test`.
BUILD_DIR ?= build
# The same sources as a Debug build (Qt's own asserts active) with AddressSanitizer and
# UndefinedBehaviorSanitizer; `make test` runs the suite there too.
CHECK_DIR ?= build-debug-sanitize
SHOTS_DIR ?= screenshots
JOBS ?= $(shell nproc)

# ccache: paths taken relative to this folder and the build folder left out of the hash, so a
# checkout in another folder (a fresh clone) still hits what an earlier one compiled.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := true

.PHONY: all setup configure build run test configure-check build-check screenshot demo package \
	fuzz clean

all: build

setup:
	@scripts/setup-deps.sh

configure: setup
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
	  cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null; \
	fi

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found: run 'make run' on a desktop, or 'make screenshot' to see the window as PNG files."; \
	  exit 1; \
	fi
	@$(BUILD_DIR)/bin/converter-config

configure-check: setup
	@if [ ! -f $(CHECK_DIR)/build.ninja ]; then \
	  cmake -S . -B $(CHECK_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON >/dev/null; \
	fi

build-check: configure-check
	@cmake --build $(CHECK_DIR) -j $(JOBS)

# One suite after the other: the runs wait on replies timed to 100 ms, which two suites at once
# on two cores shared with other work put at risk.
test: build build-check
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	@cd $(CHECK_DIR) && ctest --output-on-failure -j $(JOBS)

package: build
	@cmake --build $(BUILD_DIR) --target package

demo: build
	@scripts/demo.sh $(BUILD_DIR)/bin

screenshot: build
	@mkdir -p $(SHOTS_DIR)
	@xvfb-run -a -s "-screen 0 1280x1024x24" $(BUILD_DIR)/bin/converter-screenshot $(SHOTS_DIR)
	@$(BUILD_DIR)/bin/converter-board-screenshot $(SHOTS_DIR)
	@echo "Screenshots written to $(abspath $(SHOTS_DIR))/"

# The three libFuzzer targets, FUZZ_SECONDS each (default 300), in build-fuzz/ with clang.
fuzz: setup
	@scripts/fuzz.sh

clean:
	rm -rf $(BUILD_DIR) $(CHECK_DIR) $(SHOTS_DIR) build-fuzz
