#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that building, running and testing Corvane need,
# asking apt only for those that are missing, so a machine that has them all is left alone.
set -euo pipefail

packages=(
    # build
    cmake g++ make pkg-config
    qt6-base-dev qt6-translations-l10n libqt6svg6 qt6-tools-dev qt6-l10n-tools libsoxr-dev libsndfile1-dev libmagic-dev
    libasound2-dev libfontconfig-dev
    fonts-ipafont-gothic
    # tests and benchmarks
    googletest libgtest-dev libbenchmark-dev libx11-dev
    libspandsp-dev libtiff-dev minimodem sox time
    # the Debian package and its checks
    debhelper dpkg-dev lintian appstream desktop-file-utils man-db groff-base bash-completion
    # screenshots of the dialog
    xvfb x11-apps x11-utils imagemagick openbox xdotool
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
