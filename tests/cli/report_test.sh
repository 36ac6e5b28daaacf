#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The report that a sweep hands in, as its readers meet it: valid HTML by tidy's measure, nothing
# from elsewhere, in Japanese under a Japanese locale, and shown and printed by a real browser
# (headless Chromium) without errors, on A4 pages that hold the table and the plot.
#   report_test.sh CORVANE-CLI
set -euo pipefail
cli=$1
for tool in tidy chromium pdfinfo pdftotext; do
    command -v "$tool" >/dev/null || { echo "FAIL: needs $tool (make test installs it)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

sweep=(sweep --number 0312345678 --vary snr=-4:4:2 --vary stop-bits=1:2:1 --seeds 2)
LANG=C "$cli" "${sweep[@]}" --report "$work/en.html" >/dev/null 2>&1 || fail "sweep --report failed"
LANG=ja_JP.UTF-8 "$cli" "${sweep[@]}" --report "$work/ja.html" >/dev/null 2>&1 || fail "sweep --report failed in Japanese"
grep -q '<html lang="ja">' "$work/ja.html" && grep -q '報告書' "$work/ja.html" ||
    fail "the report under a Japanese locale is not in Japanese"

for page in en ja; do
    tidy -e -q "$work/$page.html" 2>"$work/tidy" || { cat "$work/tidy" >&2; fail "tidy finds fault with the $page report"; }
    if grep -nE 'https?:|src=|href=|<link|<script|url\(|@import' "$work/$page.html"; then
        fail "the $page report refers to something outside it (above)"
    fi
done
echo "report: valid HTML, self-contained, in English and Japanese"

# Chromium as root needs its sandbox off; its profile is the test's own, and its complaints about
# the machine (no D-Bus here) are no concern of the page's.
browse() {
    timeout 60 chromium --headless --no-sandbox --disable-gpu --user-data-dir="$work/profile" \
        --enable-logging=stderr --v=0 "$@" 2>>"$work/browser.log" >/dev/null
}
browse --no-pdf-header-footer --print-to-pdf="$work/en.pdf" "file://$work/en.html" || fail "Chromium did not print the report"
browse --window-size=1000,1400 --screenshot="$work/en.png" "file://$work/en.html" || fail "Chromium did not show the report"
if grep -E 'CONSOLE|net::ERR|Failed to load|Refused to' "$work/browser.log"; then
    fail "Chromium reports errors on the page (above)"
fi
pdfinfo "$work/en.pdf" | grep '^Page size:.*(A4)' >/dev/null || fail "the printed report is not on A4: $(pdfinfo "$work/en.pdf")"
text=$(pdftotext -layout "$work/en.pdf" -)
for part in 'corvane-cli sweep: report' 'Frames decoded exactly by corvane-cli decode' 'signal-to-noise ratio' \
        'Results' '0312345678' 'stop-bits 2.00: the pass rate crosses 50 %'; do
    grep -qF -- "$part" <<<"$text" || fail "the printed report lacks \"$part\""
done
[ "$(stat -c %s "$work/en.png")" -gt 20000 ] || fail "the screenshot of the report is all but empty"
echo "report: shown and printed by Chromium on A4, with the plot and the table"
