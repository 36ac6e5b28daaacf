# make run: install what is missing, build, start the dialog.
# make test: install what is missing, build, run every test (plain, then under sanitizers).
JOBS ?= $(shell nproc)
WERROR := $(if $(CI),ON,OFF)
CONFIGURE = cmake -S . -Wno-dev -DCORVANE_WERROR=$(WERROR)

.PHONY: run test deps build bench screenshot clean

deps:
	@bash scripts/install-deps.sh

build: deps
	@$(CONFIGURE) -B build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
	@cmake --build build/release -j$(JOBS)

run: build
	@build/release/ui/corvane

screenshot: build
	@bash scripts/screenshot.sh build/release/ui/corvane

test: deps
	@bash scripts/run-tests.sh

bench: build
	build/release/bench/corvane_bench

clean:
	rm -rf build
