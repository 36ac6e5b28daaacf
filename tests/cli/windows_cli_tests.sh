#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the Linux build's command-line test tables against corvane-cli.exe under wine: the same
# requests, bytes, refusals and exit statuses, from the Windows program.
#   windows_cli_tests.sh WINE-RUN PREFIX CORVANE-CLI.EXE LINUX-TESTS FILTER
set -euo pipefail
run=$1 prefix=$2 exe=$3 tests=$4 filter=$5
if [ ! -x "$tests" ]; then
    echo "FAIL: the Linux build's tests are not there ($tests): build it first (make check)" >&2
    exit 1
fi
work=$(mktemp -d)
cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# One wine server for the whole run, once the prefix is made: a program then starts in a
# fraction of a second. The prefix is this test's alone: a server left in it, persistent or
# not, is ended first. Wine's own services start with the first program and stay: started by
# a program of the tests, they would keep its output open, and the test would wait for it.
"$run" "$prefix" cmd /c exit >/dev/null 2>&1
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
WINEPREFIX=$prefix wineserver -p
"$run" "$prefix" cmd /c exit </dev/null >/dev/null 2>&1
printf '#!/bin/sh\nexec "%s" "%s" "%s" "$@"\n' "$run" "$prefix" "$exe" >"$work/corvane-cli"
chmod +x "$work/corvane-cli"
CORVANE_CLI_UNDER_TEST=$work/corvane-cli CORVANE_CLI_SHELL=cmd "$tests" --gtest_filter="$filter" --gtest_brief=1
