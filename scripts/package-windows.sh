#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the release corvane.exe and makes dist/corvane-VERSION-win64.zip (the program,
# the READMEs and the licence) and dist/corvane-VERSION-setup.exe (the installer, with nsis).
# Prints the compiler's messages only when the build fails.
source "$(dirname "$0")/common.sh"

version=$(sed -n 's/^project(corvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
build=build/windows-release
stage=$build/corvane-$version-win64
log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "Building dist/corvane-$version-win64.zip and dist/corvane-$version-setup.exe"
if ! { cmake -S . -B $build -Wno-dev -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
           -DBUILD_TESTING=OFF -DCORVANE_WERROR=$werror &&
       cmake --build $build -j"$jobs" --target corvane; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "The Windows build failed; the messages above say why." >&2
    exit 1
fi
x86_64-w64-mingw32-strip $build/ui/corvane.exe
# Self-contained: nothing but what every Windows has.
if x86_64-w64-mingw32-objdump -p $build/ui/corvane.exe | grep -i 'DLL Name' |
        grep -viE ' (kernel32|user32|gdi32|winmm|comctl32|comdlg32|msvcrt|advapi32|shell32|ole32|oleacc)\.dll$'; then
    echo "FAIL: corvane.exe needs the DLLs above" >&2
    exit 1
fi

rm -rf "$stage"
mkdir -p "$stage" dist
cp $build/ui/corvane.exe "$stage/"
# Text files with the line ends Notepad has always read.
for text in packaging/windows/README.ja.txt packaging/windows/README.en.txt LICENSE; do
    name=$(basename "$text" .txt).txt
    sed 's/$/\r/' "$text" >"$stage/$name"
done
(cd "$build" && rm -f "../../dist/corvane-$version-win64.zip" &&
    zip -q -r "../../dist/corvane-$version-win64.zip" "corvane-$version-win64")

cp $build/ui/generated/IDI_APP.ico "$build/corvane.ico"
cp "$stage"/* "$build/"
if ! makensis -V2 -DVERSION="$version" -DSOURCE="$PWD/$build" -DOUTFILE="$PWD/dist/corvane-$version-setup.exe" \
        packaging/windows/corvane.nsi >"$log" 2>&1; then
    cat "$log" >&2
    echo "The installer build failed; the messages above say why." >&2
    exit 1
fi
