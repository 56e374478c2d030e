# SPDX-License-Identifier: GPL-3.0-or-later
# make run   set up, build, and convert the bundled example
# make test  set up, build, and run every test
# make deb   set up, build, and make and check the Debian package
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: setup build run test deb asan tsan fuzz fuzz-check soak clean

setup:
	@bash scripts/setup.sh

build: setup
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/bin/kelvaro-cli convert -o out $(BUILD)/bin/Example.wma

test: build
	@ctest --test-dir $(BUILD) --output-on-failure --no-tests=error -j $(JOBS)

# kelvaro_VERSION_ARCH.deb in $(BUILD)/deb, built by dpkg-buildpackage from
# debian/ with the distribution's release flags, then its checks (lintian,
# hardening-check, a scratch installation and removal).
deb: setup
	@bash scripts/build-deb.sh $(BUILD)/deb -j$(JOBS)
	@bash tests/install/check-deb.sh $(BUILD)/deb/kelvaro_*_$$(dpkg --print-architecture).deb

# AddressSanitizer and UndefinedBehaviorSanitizer over the whole suite.
asan: setup
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVARO_SANITIZE=address,undefined >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@ctest --test-dir build-asan --output-on-failure --no-tests=error -j $(JOBS)

# ThreadSanitizer over the tests of the threaded pipeline, the writer, the
# converters, the sound output, the directory monitor and the engine (the
# batch run, kelvaro-cli's parallel slots, the hot directory, the preview player). The monitor's
# tests start writer processes, whose children only exec.
tsan: setup
	@cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVARO_SANITIZE=thread >/dev/null
	@cmake --build build-tsan -j $(JOBS) --target core_tests wave_tests convert_tests playback_tests monitor_tests \
		engine_tests player_tests
	@TSAN_OPTIONS=die_after_fork=0 ctest --test-dir build-tsan --output-on-failure --no-tests=error -j $(JOBS) \
		-L '^(core|wave|convert|playback|monitor|engine|player)_tests$$'

# libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer):
# `make fuzz SECONDS=60` runs each for that long and prints executions,
# coverage and findings per target; `make fuzz-check` runs each once over its
# seeds and the regression inputs, as CI does.
SECONDS ?= 60
FUZZ_BUILD = CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	-DKELVARO_FUZZ=ON -DKELVARO_SANITIZE=address,undefined >/dev/null && cmake --build build-fuzz -j $(JOBS) --target fuzzers

fuzz: setup
	@$(FUZZ_BUILD)
	@tests/fuzz/run-fuzzers.sh build-fuzz/bin $(SECONDS)

fuzz-check: setup
	@$(FUZZ_BUILD)
	@tests/fuzz/run-fuzzers.sh build-fuzz/bin 0

# Long runs, not part of CI: the hot directory with 2,000 files dropped over
# 10 minutes under load, then a full disk in small tmpfs folders (as root, in a
# private mount namespace), then the window under 10 minutes of random user
# actions on the offscreen platform (SEED=N replays a run). All print their
# figures.
soak: build
	@python3 tests/soak/hotdir-soak.py $(BUILD)/bin
	@python3 tests/soak/disk-full.py $(BUILD)/bin
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bin/window_soak --minutes 10 $(if $(SEED),--seed $(SEED))

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz
