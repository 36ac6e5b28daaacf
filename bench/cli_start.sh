#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The command line's start: corvane-cli frame of a 20-digit number, started 200 times, next to
# /bin/true started as often from the same loop. Usage: bench/cli_start.sh BUILD_DIR
set -euo pipefail
cli=$1/cli/corvane-cli
runs=200
now() { date +%s%N; }
"$cli" frame --number 01234567890123456789 >/dev/null  # into the page cache first
start=$(now)
for ((i = 0; i < runs; i++)); do "$cli" frame --number 01234567890123456789 >/dev/null; done
cli_ns=$(( $(now) - start ))
start=$(now)
for ((i = 0; i < runs; i++)); do /bin/true >/dev/null; done
true_ns=$(( $(now) - start ))
awk -v cli="$cli_ns" -v floor="$true_ns" -v runs="$runs" 'BEGIN {
    printf "corvane-cli frame, a process, against /bin/true: %.2fx (target 2.50x)%s\n",
           cli / floor, cli <= 2.5 * floor ? "" : "  MISSED"
    printf "(%.2f ms a run; /bin/true %.2f ms)\n", cli / runs / 1e6, floor / runs / 1e6
}'
