#!/usr/bin/env bash
# Writes the sample book the README's run command opens: numbered portrait pages
# with one landscape page among them, as a folder and as a CBZ.
#   make-sample-book.sh OUTDIR   ->  OUTDIR/Sample/p01.jpg ...  and  OUTDIR/Sample.cbz
set -euo pipefail
out=${1:?usage: make-sample-book.sh OUTDIR}
pages=12
landscape=7
mkdir -p "$out/Sample"
colours=(  "#d8e8f8" "#f8e0d0" "#e0f4dc" "#f4f0d0" "#ecdcf4" "#d4f0f0"
           "#f8d8e4" "#e4e4e4" "#dcecc8" "#f0e4d8" "#d8dcf8" "#f8f0e8" )
for i in $(seq 1 $pages); do
    name=$(printf 'p%02d.jpg' "$i")
    [ -f "$out/Sample/$name" ] && continue
    if [ "$i" = "$landscape" ]; then w=2400; h=1700; else w=1200; h=1700; fi
    bg=${colours[$(((i - 1) % ${#colours[@]}))]}
    # A page: a tinted sheet, three panel frames, the page number large in the middle.
    convert -size "${w}x${h}" "xc:$bg" \
        -fill none -stroke "#303030" -strokewidth 8 \
        -draw "rectangle 60,60 $((w - 60)),$((h * 3 / 10))" \
        -draw "rectangle 60,$((h * 3 / 10 + 40)) $((w / 2 - 20)),$((h - 60))" \
        -draw "rectangle $((w / 2 + 20)),$((h * 3 / 10 + 40)) $((w - 60)),$((h - 60))" \
        -stroke none -fill "#202020" -font DejaVu-Sans-Bold -pointsize 420 \
        -gravity center -annotate +0+80 "$i" \
        -quality 88 "$out/Sample/$name"
done
if [ ! -f "$out/Sample.cbz" ] || [ "$out/Sample" -nt "$out/Sample.cbz" ]; then
    rm -f "$out/Sample.cbz"
    (cd "$out/Sample" && zip -q -0 "../Sample.cbz" p*.jpg)
fi
