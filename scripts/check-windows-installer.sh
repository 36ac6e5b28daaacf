#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks what make windows made, as a Windows user gets it, under wine in a prefix of its own:
# the release program has no trace, the installer installs silently, the installed program
# starts, and the uninstaller removes everything the installer put there.
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(sed -n 's/^project(corvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
setup=$PWD/dist/corvane-$version-setup.exe
exe=build/windows-release/ui/corvane.exe
if grep -a -q -e 'WM_CREATE' -e 'Volume Set' -e 'dwUser =' -e 'iWaveFormValue =' "$exe"; then
    echo "FAIL: the release corvane.exe carries trace text" >&2
    exit 1
fi

work=$(mktemp -d)
xvfb=
cleanup() {
    WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
run() { bash scripts/wine-run.sh "$work/prefix" "$@"; }
export WINEPREFIX=$work/prefix
# A display from the start: the prefix's desktop is made once, with the display it finds then.
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")

run "$setup" /S
wineserver -w
programs=$(find "$work/prefix/drive_c/users" -maxdepth 4 -path '*AppData/Local/Programs' -type d | head -1)
[ -n "$programs" ] || fail "no AppData\\Local\\Programs folder in the prefix"
for file in corvane.exe uninstall.exe README.ja.txt README.en.txt LICENSE.txt; do
    [ -e "$programs/Corvane/$file" ] || fail "the installer did not install $file"
done
link=$(find "$work/prefix/drive_c" -name 'Corvane.lnk' | head -1)
[ -n "$link" ] || fail "no Start-menu entry"
run reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane' /v DisplayName 2>/dev/null |
    grep -q Corvane || fail "the uninstaller is not listed under Apps"
echo "installer: installed silently, with a Start-menu entry and an entry under Apps"

# The installed program starts and shows its dialog.
run "$programs/Corvane/corvane.exe" >/dev/null 2>&1 &
started=no
for _ in $(seq 300); do
    if xdotool search --onlyvisible --name '^Corvane$' >/dev/null 2>&1; then
        started=yes
        break
    fi
    sleep 0.1
done
[ $started = yes ] || fail "the installed corvane.exe did not show its dialog"
wineserver -k
echo "installed program: starts"

run "$programs/Corvane/uninstall.exe" /S
wineserver -w
# The uninstaller finishes in a copy of itself.
for _ in $(seq 100); do [ -e "$programs/Corvane" ] || break; sleep 0.1; done
[ -e "$programs/Corvane" ] && fail "the uninstaller left $(ls "$programs/Corvane")"
[ -e "$link" ] && fail "the uninstaller left the Start-menu entry"
run reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane' >/dev/null 2>&1 &&
    fail "the uninstaller left its entry under Apps"
echo "uninstaller: removed everything"
