#!/usr/bin/env bash
# Regenerates the ImageMagick-made JPEG fixtures in tests/decode/jpeg_fixtures/.
# ImageMagick writes a CMYK picture as YCCK (Adobe transform 2) with inverted
# ink values, as Adobe applications do; the tests check the colours that come out.
# Needs ImageMagick 6 (Debian's imagemagick). The outputs are committed.
set -euo pipefail
out="$(cd "$(dirname "$0")" && pwd)/jpeg_fixtures"
mkdir -p "$out"

# Solid colours: name and ImageMagick colour.
while read -r name colour; do
    convert -size 16x16 "xc:$colour" -colorspace CMYK -quality 95 "$out/ycck_$name.jpg"
done <<'LIST'
white white
black black
red red
green lime
blue blue
grey #808080
kblack cmyk(0,0,0,255)
LIST

# A photo in CMYK and the same photo in RGB, for a colour comparison.
convert rose: -colorspace CMYK -quality 95 "$out/ycck_rose.jpg"
convert rose: -quality 95 -sampling-factor 1x1 "$out/rgb_rose.jpg"
