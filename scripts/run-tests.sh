#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the C++ files' layout, then builds and runs every test: a debug build (trace on), then
# the same tests under AddressSanitizer and UndefinedBehaviorSanitizer, the audio tests under
# ThreadSanitizer, then the Debian package (a release build, checked for trace text and run as
# installed), and the Windows build under wine with its installer.
source "$(dirname "$0")/common.sh"

bash scripts/check-format.sh

# The Windows builds (the tests' debug build and the release that goes into the zip and the
# installer) compile alongside the Linux ones, which leave cores idle while their tests run;
# the Windows tests run at the end, on a quiet machine, as their timings need.
windows_log=$(mktemp)
setsid bash scripts/build-windows.sh >"$windows_log" 2>&1 &
windows_build=$!
trap 'kill -- -$windows_build 2>/dev/null || true; rm -f "$windows_log"' EXIT

build_and_test build/debug "" "" "${debug_build_options[@]}"
# The sanitizer builds keep line tables only: their reports still name file and line, and they
# compile in less time than with full debug information.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    build_and_test build/asan "" "" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    -DCORVANE_SANITIZE=address,undefined
# The audio thread meets the dialog's thread only in the playback code: race-check it, building
# only the audio tests.
TSAN_OPTIONS=halt_on_error=1 \
    build_and_test build/tsan "-L audio" "corvane_audio_tests corvane_nodev_tests" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCORVANE_SANITIZE=thread -DCORVANE_BUILD_UI=OFF

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
