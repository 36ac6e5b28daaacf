# make run: install what is missing, build, start the dialog.
# make test: install what is missing, build, run every test (plain, then under sanitizers).
JOBS ?= $(shell nproc)
WERROR := $(if $(CI),ON,OFF)
CONFIGURE = cmake -S . -Wno-dev -DCORVANE_WERROR=$(WERROR)

.PHONY: run test deps build bench clean

deps:
	@bash scripts/install-deps.sh

build: deps
	@$(CONFIGURE) -B build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
	@cmake --build build/release -j$(JOBS)

run: build
	@if [ -x build/release/ui/corvane ]; then build/release/ui/corvane; \
	else echo "The dialog is not built yet: build/release holds the signal library only."; fi

test: deps
	@bash scripts/run-tests.sh

bench: build
	build/release/bench/corvane_bench

clean:
	rm -rf build
