#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a Windows program under wine in the wine prefix given first (made on first use), never
# the user's own, with wine's own diagnostics off: wine-run.sh PREFIX PROGRAM.exe ARGS...
set -euo pipefail
export WINEPREFIX=$1
shift
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
mkdir -p "$(dirname "$WINEPREFIX")"
# Tests start in parallel: one of them makes the prefix while the others wait.
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
exec 9>"$WINEPREFIX.lock"
flock -w 120 9 || fail "the wine prefix $WINEPREFIX stayed locked for 2 minutes"
if [ ! -e "$WINEPREFIX/.corvane-ready" ]; then
    wine wineboot -i >/dev/null 2>&1 || true
    # The dialog's face, which wine does not have: the same Gothic the Linux build draws in.
    for face in 'ＭＳ Ｐゴシック' 'MS PGothic'; do
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAPGothic /f >/dev/null 2>&1 ||
            fail "wine could not make its prefix $WINEPREFIX"
    done
    # ALSA, whatever sound server the machine runs: the tests' devices are ALSA configurations.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1 ||
        fail "wine could not make its prefix $WINEPREFIX"
    wineserver -w
    touch "$WINEPREFIX/.corvane-ready"
fi
flock -u 9
exec 9>&-
exec wine "$@"
