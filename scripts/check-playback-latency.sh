#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Plays through the ALSA pulse plugin into a PulseAudio null sink, as on a desktop, and checks
# that the tone starts within 100 ms of the signal's lead silence and that Play comes back within
# 300 ms of its end (bench/playback_latency.cpp measures both on the sink's monitor).
# Usage: scripts/check-playback-latency.sh [build folder]   (default: build/bench)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}

for tool in pulseaudio pactl; do
    command -v "$tool" >/dev/null || { echo "needs $tool: apt-get install pulseaudio pulseaudio-utils libasound2-plugins" >&2; exit 2; }
done

work=$(mktemp -d)
pulse_pid=
trap '[ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime" PULSE_SERVER="unix:$work/pulse.sock" HOME="$work"
mkdir -m 0700 "$XDG_RUNTIME_DIR"

pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --system=no \
    -L "module-native-protocol-unix socket=$work/pulse.sock auth-anonymous=1" \
    -L "module-null-sink sink_name=corvane_null" >"$work/pulse.log" 2>&1 & pulse_pid=$!
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null || { cat "$work/pulse.log" >&2; exit 2; }

cat > "$work/asound.conf" <<CONF
pcm.!default { type pulse device corvane_null }
pcm.monitor { type pulse device corvane_null.monitor }
CONF
ALSA_CONFIG_PATH="$work/asound.conf" "$build/bench/corvane_playback_latency"
