# Two commands matter: `make run` and `make test`. Both install what is
# missing, configure and build before they do their work.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=

.PHONY: all deps configure build asan-build run test test-normal test-asan bench fuzz soak screenshots clean

all: build

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

asan-build: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPAKTO_SANITIZE=ON -DPAKTO_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# Only what the window needs to start: tests and benchmarks wait for `make test`.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target pakto pakto-peer pakto_translations pakto_banner
	bash scripts/run.sh $(BUILD)

test: test-normal test-asan

test-normal: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: asan-build
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	bash scripts/bench.sh $(BUILD)

# Not part of test: a million round trips take minutes. SOAK_FRAMES sets how many,
# SOAK_OUTAGES=PERIOD:AWAY (ms) has the device go away (see scripts/soak.sh).
soak: build
	bash scripts/soak.sh $(BUILD)

# Remakes the README's pictures under Xvfb (installs xvfb, xdotool and imagemagick).
screenshots: configure
	cmake --build $(BUILD) -j $(JOBS) --target pakto pakto-peer pakto_translations pakto_banner
	bash scripts/screenshots.sh $(BUILD)

fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DPAKTO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	mkdir -p $(FUZZ_BUILD)/corpus
	$(FUZZ_BUILD)/tests/codec/fuzz/fuzz_decode -max_total_time=$(FUZZ_SECONDS) $(FUZZ_BUILD)/corpus

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)

# Installing and packaging the normal build. `make install` honours PREFIX and,
# for staging, DESTDIR; it writes nothing outside DESTDIR/PREFIX.
PREFIX  ?= /usr/local
DESTDIR ?=

.PHONY: install package package-check

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# $(BUILD)/pakto_<version>_<arch>.deb
package: build
	cmake --build $(BUILD) --target package

# The package holds every installed file and lintian finds no error in it.
package-check: package
	bash scripts/check-package.sh $(BUILD)
