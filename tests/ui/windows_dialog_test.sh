#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real corvane.exe under wine on a display of its own, driven from the keyboard as a person
# would: a number typed and saved through the file dialog, Play twice, a 21-digit number, a
# full-width number, and the close box's question answered No, then Yes; then, without a sound
# output, the disabled Play's tooltip under the mouse, read back by a probe in the same prefix.
#   windows_dialog_test.sh WINE-RUN PREFIX CORVANE.EXE PARITY-TEST-SOURCE PROBE.EXE
set -euo pipefail
run=$1 prefix=$2 exe=$3 table=$4 probe=$5

work=$(mktemp -d)
app= xvfb=
# Under set -e, a cleanup step that fails would end a passing test with a failure.
cleanup() {
    if [ -n "$app" ]; then kill "$app" 2>/dev/null || true; fi
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do echo "window $w: $(xdotool getwindowname "$w")" >&2; done
    timeout 10 import -display "$DISPLAY" -window root "$work/screen.png" 2>/dev/null && cp "$work/screen.png" "${TMPDIR:-/tmp}/corvane-windows-dialog-failure.png" &&
        echo "the screen at the failure: ${TMPDIR:-/tmp}/corvane-windows-dialog-failure.png" >&2
    sed 's/^/trace: /' "$work/trace" >&2 || true
    exit 1
}
# wait_until SECONDS WHAT COMMAND...: polls the command until it succeeds.
wait_until() {
    local limit=$(($1 * 10)) what=$2
    shift 2
    for ((i = 0; i < limit; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    fail "$what"
}
windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }
boxes_shown() { [ "$(windows '^Corvane$')" -eq "$1" ]; }
windows_at_least() { [ "$(windows "$1")" -ge "$2" ]; }
# Without a window manager, keys go to the window that has X's focus: the newest of that name.
focus() { xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 | xargs -r xdotool windowfocus --sync; }
traced() { [ "$(grep -c -F -- "$1" "$work/trace")" -ge "$2" ]; }

Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
xvfb=$!
wait_until 10 "Xvfb did not start" test -s "$work/display"
export DISPLAY=:$(cat "$work/display")

# The debug build's trace, which goes to OutputDebugString, is what wine's debugstr channel shows.
# A configuration of its own alone: the system's would let a sound server's plug-in take over.
printf 'pcm.!default { type file slave.pcm { type null } format raw file "%s" }\n' \
    "$work/played.raw" >"$work/alsa.conf"
ALSA_CONFIG_PATH=$work/alsa.conf WINEDEBUG=-all,warn+debugstr "$run" "$prefix" "$exe" 2>"$work/trace" &
app=$!
wait_until 30 "the dialog did not appear" boxes_shown 1
traced 'WM_CREATE' 1 || fail "no WM_CREATE in the debugger's output"
sleep 1  # the device check
focus '^Corvane$'

# A number, saved through the common file dialog: the same bytes as the Linux build's file.
xdotool type --delay 30 1234567890
xdotool key alt+w
# A second window, which wine names after its owner at first and "Save As" later.
wait_until 60 "the save dialog did not open" windows_at_least '.' 2
sleep 2
xdotool search --onlyvisible --name '.' | tail -1 | xargs xdotool windowfocus --sync
xdotool type --delay 20 "Z:${work//\//\\}\\saved.wav"
xdotool key Return
wait_until 10 "nothing was saved" test -s "$work/saved.wav"
focus '^Corvane$'
sleep 0.5
# The focus is back in the number field: what is typed next goes there.
xdotool key End
xdotool type 1
xdotool key alt+p
wait_until 10 "the number field did not get its focus back" traced '90 81 87 90 82 C0 8D 82 8B B1 B2 33 B4 35 36 B7 B8 39 30 B1 90 03 68 B0' 1
wait_until 10 "the first play did not end" traced 'dwUser = 0' 1
xdotool key BackSpace
sleep 0.5
expected=$(grep -o '{"Number10", {"[^"]*", 0x[0-9A-F]*u}}' "$table" | grep -o '0x[0-9A-F]*')
actual=$(/usr/bin/python3 -c '
import sys
h = 0xCBF29CE484222325
for b in open(sys.argv[1], "rb").read():
    h = ((h ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
print("0x%016X" % h)' "$work/saved.wav")
[ "$actual" = "$expected" ] || fail "the saved file ($actual) differs from the Linux build's ($expected)"
echo "saved: the Linux build's bytes"

# Play comes back: a second Play plays again.
xdotool key alt+p
wait_until 10 "Play did not come back" traced 'dwUser = 0' 2
echo "played twice"

# 21 digits: the message, and nothing played. Alt+N goes back to the number field.
xdotool key alt+n End
xdotool type --delay 30 12345678901
xdotool key alt+p
wait_until 10 "no message for 21 digits" boxes_shown 2
focus '^Corvane$'
xdotool key Return
wait_until 10 "the message did not close" boxes_shown 1
focus '^Corvane$'
traced 'dwUser = 0' 3 && fail "21 digits were played"
echo "21 digits: the message"

# A full-width number is framed as code page 932 bytes.
xdotool key alt+n End
for _ in $(seq 21); do xdotool key BackSpace; done
xdotool type --delay 50 '０３１２'
xdotool key alt+p
# From the Linux build: corvane-cli frame --number ０３１２
wait_until 10 "the full-width number was not framed as code page 932" \
    traced '90 81 87 90 82 C0 0A 82 88 82 CF 82 D2 82 50 82 D1 90 03 8B A3' 1
wait_until 10 "the full-width play did not end" traced 'dwUser = 0' 3
echo "full-width: code page 932"

# Enter and Escape do nothing; the close box asks, No keeps the dialog, Yes ends it.
xdotool key Return Escape
sleep 0.5
boxes_shown 1 || fail "Enter or Escape opened or closed something"
xdotool key alt+F4
wait_until 10 "the close box did not ask" boxes_shown 2
focus '^Corvane$'
xdotool key Return  # No, the default
wait_until 10 "No did not keep the dialog" boxes_shown 1
focus '^Corvane$'
xdotool key alt+F4
wait_until 10 "the close box did not ask again" boxes_shown 2
focus '^Corvane$'
xdotool key y
wait_until 10 "Yes did not end the program" boxes_shown 0
wait "$app" || fail "the program ended with status $?"
app=
traced 'WM_DESTROY' 1 || fail "no WM_DESTROY in the debugger's output"
echo "exit question: No keeps, Yes ends"

# Without a sound output: said once over the dialog, and the mouse over the disabled Play shows
# why it cannot be pressed.
printf 'pcm.!default { type hw card 99 }\n' >"$work/missing.conf"
ALSA_CONFIG_PATH=$work/missing.conf WINEDEBUG=-all,warn+debugstr "$run" "$prefix" "$exe" 2>"$work/trace" &
app=$!
wait_until 30 "no message that there is no sound output" boxes_shown 2
focus '^Corvane$'
xdotool key Return
wait_until 10 "the message did not close" boxes_shown 1
probe() { "$run" "$prefix" "$probe" "$1" 2>/dev/null | tr -d '\r'; }
read -r x y <<<"$(probe play)"
[ -n "$y" ] || fail "the probe did not find Play"
shown_tip() {
    xdotool mousemove "$x" "$((y + 1))" mousemove "$x" "$y"
    [ "$(probe tip)" = "$1" ]
}
wait_until 20 "no tooltip over the disabled Play" shown_tip '音声出力デバイスを開けないため、再生できません。'
echo "no sound output: the disabled Play's tooltip says why"
kill "$app"
app=
