# SPDX-License-Identifier: MIT
# make run: install what is missing, build, start the dialog.
# make test: install what is missing, build, run every test (plain, then under sanitizers).
# make package: build the Debian package in dist/.
# make windows: cross-build corvane.exe, its zip and its installer in dist/.
# make fuzz: fuzz the decoder's inputs with libFuzzer for FUZZ_SECONDS (default 60) each.
# make test-debian13: make test inside a Debian 13 root made under build/debian13 (needs root).
JOBS ?= $(shell nproc)
WERROR := $(if $(CI),ON,OFF)
CONFIGURE = cmake -S . -Wno-dev -DCORVANE_WERROR=$(WERROR)

.PHONY: run test test-debian13 deps build package windows bench latency screenshot fuzz clean

deps:
	@bash scripts/install-deps.sh

build: deps
	@bash scripts/build.sh

run: build
	@bash scripts/run.sh

screenshot: build
	@bash scripts/screenshot.sh build/release/ui/corvane

package: deps
	@bash scripts/package.sh

windows: deps
	@bash scripts/package-windows.sh

test: deps
	@bash scripts/run-tests.sh

fuzz: deps
	@bash scripts/fuzz.sh

test-debian13:
	@bash scripts/test-debian13.sh

bench: deps
	@$(CONFIGURE) -B build/bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCORVANE_BUILD_BENCH=ON >/dev/null
	@cmake --build build/bench -j$(JOBS) --target corvane_bench corvane_decode_bench corvane-cli \
		corvane_save_floor corvane corvane_minimal_dialog corvane_startup_bench corvane_jclip_rx corvane-cli-decode
	build/bench/bench/corvane_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	build/bench/bench/corvane_decode_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	@bash bench/cli_start.sh build/bench
	@bash bench/decode_memory.sh build/bench
	@bash bench/cli_batch.sh build/bench build
	@bash bench/startup.sh build/bench 21
	@/usr/bin/python3 bench/sensitivity.py build/bench docs/sensitivity.png
	@bash bench/sweep_plots.sh build/bench

# Needs a PulseAudio server binary (pulseaudio, pulseaudio-utils, libasound2-plugins).
latency: deps
	@$(CONFIGURE) -B build/bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCORVANE_BUILD_BENCH=ON >/dev/null
	@cmake --build build/bench -j$(JOBS) --target corvane_playback_latency
	@bash scripts/check-playback-latency.sh build/bench

clean:
	rm -rf build dist
