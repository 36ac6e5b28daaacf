#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The tolerance plots in docs/: corvane-cli sweep over SNR at three levels, with our decoder, with
# minimodem (mark 1300 Hz, space 2100 Hz, 1200 baud, parity bits cleared from what it prints) and
# with spandsp's JCLIP receiver (bench/jclip_rx.cpp). Usage: bench/sweep_plots.sh BUILD_DIR
set -euo pipefail
build=$1
cli=$build/cli/corvane-cli
sweep=(sweep --number 0312345678 --vary snr=-4:8:1 --vary level-dbfs=-20:-60:20 --seeds 10)
run() {  # name, then the receiver's options
    local name=$1
    shift
    echo "sweep: $name"
    "$cli" "${sweep[@]}" "$@" --plot "docs/sweep-$name.png" --csv "$build/sweep-$name.csv" >/dev/null
}
run corvane-cli
run minimodem --receiver "minimodem --rx -q -8 -M 1300 -S 2100 -f {} 1200 | tr '\\200-\\377' '\\000-\\177'"
run spandsp --receiver "$build/bench/corvane_jclip_rx {}"
echo "sweep: plots in docs/sweep-*.png"
