#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the release corvane.exe and corvane-cli.exe and makes dist/corvane-VERSION-win64.zip
# (the programs, the command line's module, DLLs and messages, the READMEs and the licences) and
# dist/corvane-VERSION-setup.exe (the installer, with nsis).
# Prints the compiler's messages only when the build fails.
source "$(dirname "$0")/common.sh"
bash scripts/windows-libraries.sh

version=$(sed -n 's/^project(corvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
build=build/windows-release
stage=$build/corvane-$version-win64
log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "Building dist/corvane-$version-win64.zip and dist/corvane-$version-setup.exe"
if ! { cmake -S . -B $build -Wno-dev -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
           -DBUILD_TESTING=OFF -DCORVANE_WERROR=$werror &&
       cmake --build $build -j"$jobs" --target corvane corvane-cli corvane-cli-decode corvane-path; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "The Windows build failed; the messages above say why." >&2
    exit 1
fi
# What goes into the program's folder, as the user gets it.
programs=($build/ui/corvane.exe $build/cli/corvane-cli.exe $build/cli/corvane-cli-play.dll
    $build/cli/corvane-cli-decode.dll $build/packaging/windows/corvane-path.exe)
libraries=(build/windows-libs/prefix/bin/libintl-8.dll build/windows-libs/prefix/bin/libsndfile.dll
    build/windows-libs/prefix/bin/libsoxr.dll)
x86_64-w64-mingw32-strip "${programs[@]}"
# Nothing but what every Windows has, and the DLLs that come along.
for file in "${programs[@]}" "${libraries[@]}"; do
    if x86_64-w64-mingw32-objdump -p "$file" | grep -i 'DLL Name' |
            grep -viE ' (kernel32|user32|gdi32|gdiplus|winmm|comctl32|comdlg32|msvcrt|advapi32|shell32|ole32|oleacc|urlmon)\.dll$' |
            grep -viE ' (libintl-8|libsndfile|libsoxr)\.dll$'; then
        echo "FAIL: $(basename "$file") needs the DLLs above" >&2
        exit 1
    fi
done

rm -rf "$stage"
mkdir -p "$stage/locale/ja/LC_MESSAGES" dist
cp "${programs[@]}" "${libraries[@]}" "$stage/"
cp $build/cli/locale/ja/LC_MESSAGES/corvane-cli.mo "$stage/locale/ja/LC_MESSAGES/"
# Text files with the line ends Notepad has always read.
for text in packaging/windows/README.ja.txt packaging/windows/README.en.txt LICENSE \
        build/windows-libs/prefix/COPYING.libintl.txt build/windows-libs/prefix/COPYING.libsndfile.txt \
        build/windows-libs/prefix/COPYING.libsoxr.txt; do
    name=$(basename "$text" .txt).txt
    sed 's/$/\r/' "$text" >"$stage/$name"
done
(cd "$build" && rm -f "../../dist/corvane-$version-win64.zip" &&
    zip -q -r "../../dist/corvane-$version-win64.zip" "corvane-$version-win64")

cp $build/ui/generated/IDI_APP.ico "$build/corvane.ico"
# The uninstaller deletes what the installer put there, file by file, and nothing else.
(cd "$stage" && find . -type f | sed 's|^\./||; s|/|\\|g; s|.*|    Delete "$INSTDIR\\&"|') >"$build/files.nsh"
if ! makensis -V2 -DVERSION="$version" -DSOURCE="$PWD/$stage" -DICON="$PWD/$build/corvane.ico" \
        -DFILE_LIST="$PWD/$build/files.nsh" -DOUTFILE="$PWD/dist/corvane-$version-setup.exe" \
        packaging/windows/corvane.nsi >"$log" 2>&1; then
    cat "$log" >&2
    echo "The installer build failed; the messages above say why." >&2
    exit 1
fi
