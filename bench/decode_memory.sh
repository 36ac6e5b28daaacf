#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# corvane-cli decode's peak resident memory on recordings of 1 s, 100 s and 1000 s (24 kHz,
# 16-bit, one frame at the start). Target: at most 32 MiB each. Usage: bench/decode_memory.sh BUILD_DIR
set -euo pipefail
cli=$1/cli/corvane-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cli" save --number 0312345678 -o "$work/signal.wav"
for seconds in 1 100 1000; do
    sox -n -r 24000 -b 16 -c 1 "$work/silence.wav" trim 0 "$seconds"
    sox "$work/signal.wav" "$work/silence.wav" "$work/$seconds.wav" trim 0 "$seconds"
    kib=$( { /usr/bin/time -f '%M' "$cli" decode "$work/$seconds.wav" >/dev/null; } 2>&1 | tail -n 1)
    awk -v kib="$kib" -v s="$seconds" 'BEGIN {
        printf "corvane-cli decode, %d s recording, peak memory: %.1f MiB (target 32.0 MiB)%s\n",
               s, kib / 1024, kib <= 32 * 1024 ? "" : "  MISSED"
    }'
done
