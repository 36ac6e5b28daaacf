#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that building, running and testing Corvane need,
# asking apt only for those that are missing, so a machine that has them all is left alone.
set -euo pipefail

# Qt's SVG icon engine, which draws the icons at sizes other than their bitmaps': in its own
# package from Debian 13 on, in the SVG library before.
qt_svg_icons=libqt6svg6
. /etc/os-release
[ "${VERSION_ID%%.*}" -ge 13 ] 2>/dev/null && qt_svg_icons=qt6-svg-plugins

packages=(
    # build (build-essential too: the package build checks for it, and not every image has it)
    build-essential cmake g++ make pkg-config clang-format
    qt6-base-dev qt6-translations-l10n "$qt_svg_icons" qt6-tools-dev qt6-l10n-tools libsoxr-dev libsndfile1-dev libmagic-dev
    libasound2-dev libfontconfig-dev nlohmann-json3-dev gettext locales libcairo2-dev
    fonts-ipafont-gothic
    # tests and benchmarks
    googletest libgtest-dev libbenchmark-dev libx11-dev
    libspandsp-dev libtiff-dev minimodem sox time python3-numpy python3-matplotlib libxml2-utils
    # the HTML report's checks: a validator, a browser that prints it, the printed PDF read back
    tidy chromium poppler-utils
    # the Debian package and its checks
    debhelper dpkg-dev lintian appstream desktop-file-utils man-db groff-base bash-completion
    # screenshots of the dialog
    xvfb x11-apps x11-utils imagemagick openbox xdotool
    # the Windows build, its tests under wine, and its installer
    g++-mingw-w64-x86-64-posix wine wine64 nsis zip
    # a sound server of the Windows recording test's own, which wine records from
    pulseaudio pulseaudio-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep 'install ok installed' >/dev/null; then
        missing+=("$p")
    fi
done
# The Japanese locale, under which the command line's messages are Japanese (and tested so).
has_japanese_locale() { locale -a 2>/dev/null | grep -ix 'ja_JP.utf8' >/dev/null; }
[ ${#missing[@]} -eq 0 ] && has_japanese_locale && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if ! has_japanese_locale; then
    echo "Generating the locale ja_JP.UTF-8"
    if grep -q 'ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
        "${sudo[@]}" sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    else
        echo 'ja_JP.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    fi
    "${sudo[@]}" locale-gen >/dev/null
fi
