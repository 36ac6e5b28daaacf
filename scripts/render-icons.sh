#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the menu icon's bitmaps in packaging/icons from ui/res: 16 and 32 pixels are the dialog's
# own bitmaps, every other size is drawn from the SVG. Needs rsvg-convert and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p packaging/icons
convert ui/res/app_16.xpm packaging/icons/corvane_16.png
convert ui/res/app_32.xpm packaging/icons/corvane_32.png
for size in 22 24 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" ui/res/app.svg -o "packaging/icons/corvane_$size.png"
done
