#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the Windows program and its tests (debug, in build/windows) and makes the zip
# and the installer (release, scripts/package-windows.sh): what make test runs under wine.
source "$(dirname "$0")/common.sh"
bash scripts/windows-libraries.sh
# Debug for the trace and the assertions; line tables only: less for the compiler and the
# linker to write.
cmake -S . -B build/windows -Wno-dev -DCORVANE_WERROR=$werror -DCORVANE_BUILD_BENCH=OFF \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 >/dev/null
cmake --build build/windows -j"$jobs"
bash scripts/package-windows.sh
