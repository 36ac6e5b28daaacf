#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the Windows program and its tests (debug, in build/windows) and makes the zip
# and the installer (release, scripts/package-windows.sh): what make test runs under wine.
source "$(dirname "$0")/common.sh"
bash scripts/windows-libraries.sh
cmake -S . -B build/windows -Wno-dev -DCORVANE_WERROR=$werror -DCORVANE_BUILD_BENCH=OFF \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/windows -j"$jobs"
bash scripts/package-windows.sh
