#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures the dialog's start-up against a minimal Qt dialog, both from the release build in
# BUILD_DIR, in an Xvfb server of its own with no window manager. Usage: bench/startup.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$1
runs=${2:-21}
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
mkdir -m 0700 "$work/runtime"
DISPLAY=":$(cat "$work/display")" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
    "$build/bench/corvane_startup_bench" "$runs" "$build/ui/corvane" "$build/bench/corvane_minimal_dialog"
