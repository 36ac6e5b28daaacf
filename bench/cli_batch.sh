#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# corvane-cli batch saving 1000 signals, next to the floor: cat writing the same 1000 files.
# Target: within 3 times the floor, per signal. Usage: bench/cli_batch.sh [corvane-cli] [folder]
set -euo pipefail
cli=${1:-build/bench/cli/corvane-cli}
work=$(mktemp -d "${2:-${TMPDIR:-/tmp}}/corvane-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/cli" "$work/cat"
for i in $(seq 1000); do printf 'number 03%08d\n' "$i"; done > "$work/lines"

now() { date +%s%N; }
start=$(now)
"$cli" batch "$work/lines" --dir "$work/cli" >/dev/null
cli_ns=$(( $(now) - start ))

start=$(now)
for file in "$work"/cli/*.wav; do cat "$file" > "$work/cat/${file##*/}"; done
cat_ns=$(( $(now) - start ))

cmp -s <(cat "$work"/cli/*.wav) <(cat "$work"/cat/*.wav)
# For scale only: the bytes alone, all in one stream by one cat.
start=$(now)
cat "$work"/cli/*.wav > "$work/stream"
stream_ns=$(( $(now) - start ))
awk -v cli="$cli_ns" -v floor="$cat_ns" -v stream="$stream_ns" 'BEGIN {
    printf "corvane-cli batch: %.0f us a signal; cat of the same files: %.0f us a signal; ratio %.2f (target 3)\n",
           cli / 1000 / 1000, floor / 1000 / 1000, cli / floor
    printf "(one cat of all the bytes in one stream: %.0f us a signal)\n", stream / 1000 / 1000
    exit (cli <= 3 * floor ? 0 : 1)
}'
