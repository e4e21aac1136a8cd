# The two promises of the README: `make run` and `make test`.
BUILD   ?= build
JOBS    ?= $(shell nproc)
PACKAGES = cmake ninja-build g++ qt6-base-dev libsqlite3-dev libchm-dev fonts-dejavu-core \
           fp-utils-3.2.2 desktop-file-utils xauth xvfb dpkg-dev clang-format \
           gettext qt6-l10n-tools libxml2-utils qt6-translations-l10n
SUDO     = $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test run package bench coverage format format-check fuzz sanitize clean

all: build

# Installs only what dpkg does not already have, so a set-up machine skips apt-get.
deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

run: build
	./tools/demo/run-demo.sh $(BUILD)

package: build
	cd $(BUILD) && cpack -G DEB

# The benchmarks are built only when asked; bench/README.md says how to run each.
bench: configure
	cmake -S . -B $(BUILD) -DKX4_BUILD_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)

# Line and branch coverage per folder, in build-coverage (gcovr from Debian).
coverage: deps
	@dpkg-query -W -f='$${Status}' gcovr 2>/dev/null | grep -q "install ok installed" || \
	  { $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq gcovr; }
	tests/coverage.sh build-coverage

# Fuzzing and the sanitizer suite, each in a build folder of its own (tests/fuzz/README.md).
# make fuzz [FUZZ_SECONDS=60] [FUZZ_TARGETS="CsvReader GroupCopy"]: every fuzz target for that long.
FUZZ_BUILD     ?= build-fuzz
FUZZ_SECONDS   ?= 60
FUZZ_TARGETS   ?=
FUZZ_PACKAGES   = clang-14 libclang-rt-14-dev
SANITIZE_BUILD ?= build-sanitize
# A finding ends the test with a failure; the leaks that Qt and fontconfig keep on purpose are
# suppressed by name in tests/fuzz/lsan.supp, ours never.
SANITIZE_ENV    = ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:strict_init_order=1 \
                  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
                  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/fuzz/lsan.supp:print_suppressions=0

fuzz: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(FUZZ_PACKAGES)"
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKX4_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	tests/fuzz/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKX4_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

SOURCES = $(shell git ls-files '*.cpp' '*.h')
format: deps
	clang-format -i $(SOURCES)

format-check: deps
	clang-format --dry-run --Werror $(SOURCES)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(SANITIZE_BUILD)
