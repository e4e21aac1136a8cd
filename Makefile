# The two promises of the README: `make run` and `make test`.
BUILD   ?= build
JOBS    ?= $(shell nproc)
PACKAGES = cmake ninja-build g++ qt6-base-dev libsqlite3-dev libchm-dev fonts-dejavu-core \
           fp-utils-3.2.2 desktop-file-utils xauth xvfb dpkg-dev clang-format \
           gettext qt6-l10n-tools libxml2-utils qt6-translations-l10n
SUDO     = $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test run package bench coverage format format-check clean

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

SOURCES = $(shell git ls-files '*.cpp' '*.h')
format: deps
	clang-format -i $(SOURCES)

format-check: deps
	clang-format --dry-run --Werror $(SOURCES)

clean:
	rm -rf $(BUILD)
