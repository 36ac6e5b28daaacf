#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package and checks it as a distribution would: lintian, AppStream and
# desktop-entry validation, clean manual pages, every file the README lists, and the programs
# taken out of it run: corvane-cli saves a signal and decodes it back.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/package.sh
version=$(dpkg-parsechangelog -l debian/changelog -S Version)
deb=dist/corvane_${version}_amd64.deb
fail() { echo "FAIL: $*" >&2; exit 1; }

root=()
[ "$(id -u)" -ne 0 ] || root=(--allow-root)
tags=$(lintian "${root[@]}" --pedantic --display-info --display-experimental --fail-on error,warning "$deb") ||
    { echo "$tags" >&2; fail "lintian finds errors or warnings in $deb"; }
echo "lintian: no error or warning${tags:+; other tags:}"
[ -z "$tags" ] || echo "$tags"

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg -x "$deb" "$tree"
appstreamcli validate --pedantic --no-net "$tree"/usr/share/metainfo/*.metainfo.xml >/dev/null ||
    fail "appstreamcli rejects the AppStream metadata"
desktop-file-validate "$tree/usr/share/applications/corvane.desktop" || fail "the desktop entry is not valid"
for page in "$tree"/usr/share/man/man1/*.1.gz "$tree"/usr/share/man/ja/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$warnings" >&2; fail "man warns about ${page#"$tree"}"; }
done
echo "AppStream metadata, desktop entry and manual pages: valid"

# The files the README's install section promises, each in the package.
listing=$(dpkg-deb -c "$deb" | awk '{print substr($6, 2)}')
promised=$(sed -n '/^### What the package installs/,/^##/p' README.md | grep -o '`/usr/[^`]*`' | tr -d '`')
[ -n "$promised" ] || fail "the README lists no file of the package"
for file in $promised; do
    grep -qxF "$file" <<<"$listing" || fail "the package lacks $file, which the README lists"
done
echo "package: all $(wc -w <<<"$promised") files the README lists"

# A release build: every trace format is compiled away, in the programs and modules alike.
if grep -las -e 'bSendCnt=' -e 'CRC:0x' -e 'Offset=%d' -e 'Volume Set' -e 'dwUser =' -e 'WM_CREATE' \
        -e 'WM_DESTROY' -e 'iWaveFormValue =' "$tree"/usr/bin/* "$tree"/usr/lib/*/corvane/*.so; then
    fail "the programs above carry trace text"
fi
echo "package: no trace text in its programs"

cli=$tree/usr/bin/corvane-cli
[ "$("$cli" --version)" = "corvane-cli $version" ] || fail "corvane-cli from the package gives another version"
"$cli" save --number 0312345678 -o "$tree/signal.wav"
"$cli" decode "$tree/signal.wav" | grep ': valid$' >/dev/null ||
    fail "corvane-cli from the package does not decode what it saves"
[ "$("$cli" frame --reason P)" = "90 81 87 90 82 C0 03 84 81 50 90 03 1E EE " ] ||
    fail "corvane-cli from the package does not frame a reason"
refusal=$(LC_ALL=ja_JP.UTF-8 "$cli" save --number '' -o - 2>&1 || true)  # refused: status 2
grep -q '番号を入力してください' <<<"$refusal" ||
    fail "corvane-cli from the package does not speak Japanese under a Japanese locale"
echo "package: corvane-cli from it frames, saves and decodes a signal, in Japanese too"
