#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds what running Corvane needs, the release dialog without the command line, tests or
# benchmarks, in build/release. Says so in one line; the compiler's output appears only when the build fails.
source "$(dirname "$0")/common.sh"
log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "Building Corvane in build/release"
if ! { cmake -S . -B build/release -Wno-dev -DCORVANE_WERROR=$werror -DCMAKE_BUILD_TYPE=Release \
           -DBUILD_TESTING=OFF -DCORVANE_BUILD_BENCH=OFF &&
       cmake --build build/release -j"$jobs" --target corvane; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "The build failed; the messages above say why." >&2
    exit 1
fi
