# SPDX-License-Identifier: MIT
# make run: install what is missing, build, start the dialog.
# make test: install what is missing, build, run every test (plain, then under sanitizers).
# make check: build the debug tree and run its tests, nothing else: the edit-test loop.
# make package: build the Debian package in dist/.
# make windows: cross-build corvane.exe, its zip and its installer in dist/.
# make fuzz: fuzz the decoder's inputs with libFuzzer for FUZZ_SECONDS (default 60) each.
# make test-debian13: make test inside a Debian 13 root made under build/debian13 (needs root).

.PHONY: run test check test-debian13 deps build package windows bench latency screenshot fuzz clean

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

check: deps
	@bash scripts/check.sh

fuzz: deps
	@bash scripts/fuzz.sh

test-debian13:
	@bash scripts/test-debian13.sh

bench: deps
	@bash scripts/bench.sh

# Needs a PulseAudio server binary (pulseaudio, pulseaudio-utils, libasound2-plugins).
latency: deps
	@bash scripts/bench.sh latency

clean:
	rm -rf build dist
