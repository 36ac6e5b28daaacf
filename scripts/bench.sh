#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# make bench: the benchmarks in a release build of their own, each figure beside its target.
# make latency (with "latency"): the playback timing through a PulseAudio server.
source "$(dirname "$0")/common.sh"

cmake -S . -B build/bench -Wno-dev -DCORVANE_WERROR=$werror -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCORVANE_BUILD_BENCH=ON >/dev/null
if [ "${1:-}" = latency ]; then
    cmake --build build/bench -j"$jobs" --target corvane_playback_latency
    exec bash scripts/check-playback-latency.sh build/bench
fi
cmake --build build/bench -j"$jobs" --target corvane_bench corvane_decode_bench corvane-cli corvane_save_floor corvane \
    corvane_minimal_dialog corvane_startup_bench corvane_jclip_rx corvane-cli-decode
build/bench/bench/corvane_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
build/bench/bench/corvane_decode_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
bash bench/cli_start.sh build/bench
bash bench/decode_memory.sh build/bench
bash bench/cli_batch.sh build/bench build
bash bench/startup.sh build/bench 21
/usr/bin/python3 bench/sensitivity.py build/bench docs/sensitivity.png
bash bench/sweep_plots.sh build/bench
