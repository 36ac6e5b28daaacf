#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Takes docs/screenshot.png: the dialog in a real X window with its title bar (Xvfb and the
# openbox window manager), after playing a 20-digit number so the status line shows its longest frame.
# Usage: scripts/screenshot.sh [path to corvane]   (default: the release build)
set -euo pipefail
cd "$(dirname "$0")/.."
app=${1:-build/release/ui/corvane}
out=docs/screenshot.png
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT

# A silent ALSA device of its own, so the picture shows the dialog and no device message.
echo 'pcm.!default { type null }' > "$work/asound.conf"
export XDG_RUNTIME_DIR="$work/runtime" DISPLAY=:97
mkdir -m 0700 "$XDG_RUNTIME_DIR"

Xvfb "$DISPLAY" -screen 0 480x480x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 & pids+=($!)
# A window mapped before the window manager is up may never get its frame, or be shown at all.
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep 'window id' >/dev/null && break; sleep 0.1; done
ALSA_CONFIG_PATH="$work/asound.conf" QT_QPA_PLATFORM=xcb "$app" >/dev/null 2>&1 & pids+=($!)
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Corvane$' | head -n 1)
[ -n "$window" ] || { echo "the dialog did not appear" >&2; exit 1; }
sleep 1
# The number field has the focus at start; Space on the Play button plays what was typed.
xdotool type --window "$window" --delay 20 01234567890123456789
xdotool key --window "$window" Tab space
sleep 1
import -window root "$work/root.png"
# Crop to the dialog and its frame: everything that is not the black root window.
convert "$work/root.png" -trim +repage "$out"
echo "wrote $out"
