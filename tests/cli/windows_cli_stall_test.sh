#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A play of corvane-cli.exe into a device that stalls: given up once the signal's length (0.62 s)
# and 2 s more have passed, said, and status 1; not sooner, and not much later (wine's own start
# and end included).
#   windows_cli_stall_test.sh STALLED-PIPE-SCRIPT PIPE WINE-RUN PREFIX CORVANE-CLI.EXE
set -euo pipefail
stalled=$1 pipe=$2 run=$3 prefix=$4 exe=$5
err=$(mktemp)
trap 'rm -f "$err"' EXIT
# The prefix made (or waited for, while another test makes it) before the clock starts.
"$run" "$prefix" cmd /c exit >/dev/null 2>&1
start=$(date +%s%N)
status=0
LANG=C bash "$stalled" "$pipe" "$run" "$prefix" "$exe" play --reason C 2>"$err" >/dev/null || status=$?
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
echo "status $status after $elapsed_ms ms"
grep '^corvane-cli: ' "$err" || true
[ "$status" -eq 1 ] || { echo "FAIL: status $status, not 1" >&2; exit 1; }
grep -q '^corvane-cli: The sound output does not respond' "$err" || { echo "FAIL: no message" >&2; exit 1; }
[ "$elapsed_ms" -ge 2600 ] || { echo "FAIL: given up too soon" >&2; exit 1; }
[ "$elapsed_ms" -le 10000 ] || { echo "FAIL: not given up in time" >&2; exit 1; }
