#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# in build/fuzz, and fuzzes each for FUZZ_SECONDS (default 60) from the project's own signals and
# the inputs that once failed. What it finds lands in build/fuzz/findings; the corpus it grows is
# kept in build/fuzz/corpus for the next run. Usage: scripts/fuzz.sh [TARGET...]
source "$(dirname "$0")/common.sh"

seconds=${FUZZ_SECONDS:-60}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(wave_reader raw_samples demodulator line_meter)

# libFuzzer comes with clang: with its compiler runtime on Debian 12, in libclang-rt-dev from 13 on.
if ! command -v clang++ >/dev/null; then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing clang"
    runtime=$(apt-cache show libclang-rt-dev >/dev/null 2>&1 && echo libclang-rt-dev || true)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq clang $runtime >/dev/null
fi
CC=clang CXX=clang++ cmake -S . -B build/fuzz -Wno-dev -DCMAKE_BUILD_TYPE=Debug -DCORVANE_FUZZ=ON >/dev/null
cmake --build build/fuzz -j"$jobs"

status=0
for target in "${targets[@]}"; do
    corpus=build/fuzz/corpus/$target
    findings=build/fuzz/findings/$target
    mkdir -p "$corpus" "$findings"
    echo "== $target: ${seconds} s"
    # An input that takes 10 s is a hang; the receiver's memory is bounded well below 2 GiB.
    if ! build/fuzz/tests/fuzz/corvane_fuzz_"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" build/fuzz/tests/fuzz/seeds/"$target" \
        tests/fuzz/regressions/"$target" 2>&1 | tail -n 25; then
        status=1
    fi
    if [ -n "$(ls -A "$findings")" ]; then
        echo "FOUND: $(ls "$findings" | tr '\n' ' ')" >&2
        status=1
    fi
done
exit $status
