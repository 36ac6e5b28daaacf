#!/usr/bin/env bash
# Takes docs/screenshot.png: the dialog in a real X window under Xvfb, as on a desktop.
# Usage: scripts/screenshot.sh [path to corvane]   (default: the release build)
set -euo pipefail
cd "$(dirname "$0")/.."
app=${1:-build/release/ui/corvane}
out=docs/screenshot.png
work=$(mktemp -d)
trap 'kill $app_pid $xvfb_pid 2>/dev/null || true; rm -rf "$work"' EXIT

# A silent ALSA device of its own, so the picture shows the dialog and no device message.
echo 'pcm.!default { type null }' > "$work/asound.conf"

display=:97
Xvfb $display -screen 0 480x480x24 -nolisten tcp >/dev/null 2>&1 & xvfb_pid=$!
sleep 1
DISPLAY=$display ALSA_CONFIG_PATH="$work/asound.conf" QT_QPA_PLATFORM=xcb "$app" >/dev/null 2>&1 & app_pid=$!
sleep 3
DISPLAY=$display import -window root "$work/root.png"
# Crop to the dialog: everything that is not the black root window.
convert "$work/root.png" -trim +repage "$out"
echo "wrote $out"
