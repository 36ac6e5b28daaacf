#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds and runs every test: a debug build (trace on), then the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, the audio tests under ThreadSanitizer,
# then the Windows build under wine, a check that a release build carries no trace, and the
# Debian package and the Windows installer.
set -euo pipefail
unset MAKEFLAGS MFLAGS MAKELEVEL  # keep the sub-builds from announcing every folder
cd "$(dirname "$0")/.."

jobs=$(nproc)
werror=OFF
[ -n "${CI:-}" ] && werror=ON

build_and_test() {  # folder, ctest options, cmake options...
    local dir=$1 select=$2; shift 2
    echo "== $dir"
    cmake -S . -B "$dir" -Wno-dev -DCORVANE_WERROR=$werror -DCORVANE_BUILD_BENCH=OFF "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    ctest --test-dir "$dir" -j"$jobs" --output-on-failure --timeout 300 $select
}

# The Windows builds (the tests' debug build and the release that goes into the zip and the
# installer) compile alongside the Linux ones, which leave cores idle while their tests run;
# the Windows tests run at the end, on a quiet machine, as their timings need.
windows_log=$(mktemp)
setsid bash scripts/build-windows.sh >"$windows_log" 2>&1 &
windows_build=$!
trap 'kill -- -$windows_build 2>/dev/null || true; rm -f "$windows_log"' EXIT

build_and_test build/debug "" -DCMAKE_BUILD_TYPE=Debug -DCORVANE_BUILD_BENCH=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    build_and_test build/asan "" -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=address,undefined
# The audio thread meets the dialog's thread only in the playback code: race-check it.
TSAN_OPTIONS=halt_on_error=1 \
    build_and_test build/tsan "-L audio" -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=thread -DCORVANE_BUILD_UI=OFF

echo "== build/release"
cmake -S . -B build/release -Wno-dev -DCORVANE_WERROR=$werror -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build/release -j"$jobs"
# Every trace format, in the libraries and the program alike.
if grep -las -e 'bSendCnt=' -e 'CRC:0x' -e 'Offset=%d' -e 'Volume Set' -e 'dwUser =' \
        -e 'WM_CREATE' -e 'WM_DESTROY' -e 'iWaveFormValue =' \
        build/release/signal/*.a build/release/audio/*.a build/release/ui/corvane build/release/cli/corvane-cli \
        $(find build/release -name 'corvane-cli-*.so'); then
    echo "FAIL: the release build above carries trace text" >&2
    exit 1
fi
echo "release build: no trace text"

# What a user installs: both programs, the man page, the menu entry and icons, and they run.
prefix=$(mktemp -d)
trap 'kill -- -$windows_build 2>/dev/null || true; rm -f "$windows_log"; rm -rf "$prefix"' EXIT
cmake --install build/release --prefix "$prefix" >/dev/null
for file in bin/corvane bin/corvane-cli share/man/man1/corvane-cli.1 share/applications/corvane.desktop \
        share/icons/hicolor/scalable/apps/corvane.svg share/icons/hicolor/256x256/apps/corvane.png \
        share/locale/ja/LC_MESSAGES/corvane-cli.mo; do
    [ -e "$prefix/$file" ] || { echo "FAIL: the install lacks $file" >&2; exit 1; }
done
[ "$("$prefix/bin/corvane-cli" frame --reason P)" = "90 81 87 90 82 C0 03 84 81 50 90 03 1E EE " ] ||
    { echo "FAIL: the installed corvane-cli does not frame a reason" >&2; exit 1; }
"$prefix/bin/corvane-cli" save --number 0312345678 -o - | "$prefix/bin/corvane-cli" decode - | grep -q ': valid$' ||
    { echo "FAIL: the installed corvane-cli does not decode what it saves" >&2; exit 1; }
refusal=$(LC_ALL=ja_JP.UTF-8 "$prefix/bin/corvane-cli" save --number '' -o - 2>&1 || true)  # refused: status 2
grep -q '番号を入力してください' <<<"$refusal" ||
    { echo "FAIL: the installed corvane-cli does not speak Japanese under a Japanese locale" >&2; exit 1; }
echo "install: both programs, man page, menu entry and icons; the installed corvane-cli runs, in Japanese too"

# What a Debian user installs: the package, checked as a distribution checks it.
echo "== dist"
bash scripts/check-package.sh

# The Windows build, cross-compiled above; its tests run under wine in prefixes of the build's own.
echo "== build/windows"
if ! wait $windows_build; then
    cat "$windows_log" >&2
    echo "FAIL: the Windows build above failed" >&2
    exit 1
fi
ctest --test-dir build/windows -j"$jobs" --output-on-failure --timeout 300
for wine_prefix in build/windows/wine build/windows/wine-dialog; do
    WINEPREFIX=$PWD/$wine_prefix wineserver -k 2>/dev/null || true
done

# What a Windows user installs: the zip and the installer made above, checked under wine.
echo "== dist (Windows)"
bash scripts/check-windows-installer.sh
