#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# corvane-cli batch saving 1000 signals, next to the honest floor: a program that makes the same
# system calls for the same 1000 files (write, fsync, link, rename, folder fsync) and nothing
# else. Usage: bench/cli_batch.sh BUILD_DIR [FOLDER]
set -euo pipefail
build=$1
cli=$build/cli/corvane-cli
work=$(mktemp -d "${2:-${TMPDIR:-/tmp}}/corvane-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/cli" "$work/floor"
for i in $(seq 1000); do printf 'number 03%08d\n' "$i"; done > "$work/lines"

now() { date +%s%N; }
start=$(now)
"$cli" batch "$work/lines" --dir "$work/cli" >/dev/null
cli_ns=$(( $(now) - start ))

start=$(now)
"$build/bench/corvane_save_floor" "$work/floor" "$work"/cli/*.wav
floor_ns=$(( $(now) - start ))

cmp -s <(cat "$work"/cli/*.wav) <(cat "$work"/floor/*.wav)
awk -v cli="$cli_ns" -v floor="$floor_ns" 'BEGIN {
    printf "corvane-cli batch, 1000 saves, against their system calls alone: %.2fx (target 3.00x)%s\n",
           cli / floor, cli <= 3 * floor ? "" : "  MISSED"
    printf "(%.0f us a signal; the system calls alone %.0f us)\n", cli / 1000 / 1000, floor / 1000 / 1000
}'
