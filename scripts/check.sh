#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The edit-test loop: builds the debug tree (the one make test builds first) and runs its tests,
# nothing else: no sanitizers, no package, no Windows build.
source "$(dirname "$0")/common.sh"

build_and_test build/debug "" "" "${debug_build_options[@]}"
