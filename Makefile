# Thin wrapper over CMake: `make run`, `make test`, `make bench`, `make install`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
# Most tests wait on timers, processes and the simulator rather than the CPU.
TEST_JOBS ?= $(shell echo $$(( $(JOBS) * 4 )))
CMAKE_FLAGS ?=
TELEGRAM_API_ID ?=
TELEGRAM_API_HASH ?=
PREFIX ?= /usr/local
DESTDIR ?=

FUZZ_SECONDS ?= 20
FUZZ_BUILD_DIR ?= build-fuzz
SANITIZE_BUILD_DIR ?= build-asan

.PHONY: all deps configure build run test sanitize bench fuzz install format clean

all: build

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS) \
	  $(if $(TELEGRAM_API_ID),-DTELEGRAM_API_ID=$(TELEGRAM_API_ID)) \
	  $(if $(TELEGRAM_API_HASH),-DTELEGRAM_API_HASH=$(TELEGRAM_API_HASH)) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# With credentials in Info.json the application signs in to real Telegram;
# without them it starts the demo against the built-in simulator.
run: build
	@if bash scripts/has-credentials $(BUILD_DIR)/bin/Info.json; then \
	  $(BUILD_DIR)/bin/tessaly; \
	else \
	  echo "No Telegram API credentials configured: starting the demo."; \
	  $(BUILD_DIR)/bin/tessaly --demo; \
	fi

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(TEST_JOBS) --timeout 300

# The tests that need no window, built with AddressSanitizer and
# UndefinedBehaviorSanitizer in a folder of their own; any report fails the run.
sanitize: deps
	@bash scripts/run-sanitize $(SANITIZE_BUILD_DIR) $(JOBS)

bench: build
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target benchmarks
	@bash scripts/run-bench $(BUILD_DIR)

# The parsers of untrusted input under libFuzzer with ASan and UBSan, built with
# clang in a folder of their own; each target runs FUZZ_SECONDS seconds.
fuzz:
	@bash scripts/run-fuzz $(FUZZ_BUILD_DIR) $(FUZZ_SECONDS) $(JOBS)

# The application, its libraries, the desktop entry and the icons under PREFIX
# (DESTDIR stages them elsewhere, as packagers do).
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR)
