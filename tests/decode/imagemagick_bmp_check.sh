#!/bin/sh
# BMPs as ImageMagick writes them (V5 124-byte headers by default, the palette
# after the header; BMP3 with 40-byte headers; 1, 4, 8, 16, 24 and 32 bits) must
# decode through pwinspect to the pixels ImageMagick itself reads.
#   imagemagick_bmp_check.sh PWINSPECT OUTDIR
set -u
pwinspect=$1
out=$2
mkdir -p "$out"
failed=0

check() {
    name=$1
    fuzz=$2
    coder=$3
    shift 3
    file="$out/$name.bmp"
    if ! convert "$@" "$coder:$file"; then
        echo "$name: convert failed"
        failed=1
        return
    fi
    if ! "$pwinspect" decode "$file" --dump "$out/$name.dump.bmp" > "$out/$name.json"; then
        echo "$name: not decoded"
        failed=1
        return
    fi
    differ=$(compare -metric AE -fuzz "$fuzz" "$file" "$out/$name.dump.bmp" null: 2>&1)
    if [ "$differ" != "0" ]; then
        echo "$name: $differ pixels differ"
        failed=1
    fi
}

check palette_v5 0 BMP rose: -type Palette -compress None
check palette_v3 0 BMP3 rose: -type Palette -compress None
check grey_v5 0 BMP rose: -colorspace Gray -type Grayscale -compress None
check sixteen_colours_v5 0 BMP rose: -dither None -colors 16 -type Palette -compress None
check bilevel_v5 0 BMP rose: -monochrome -compress None
check truecolour_v5 0 BMP rose: -type TrueColor
check truecolour_v3 0 BMP3 rose: -type TrueColor
check alpha_v5 0 BMP rose: -alpha set -type TrueColorAlpha
# 5-6-5 and 5-5-5: the channel scaling may round differently by one step.
check rgb565 1% BMP rose: -define bmp:subtype=RGB565
check rgb555 1% BMP rose: -define bmp:subtype=RGB555

[ "$failed" = 0 ] && echo "all ImageMagick BMPs agree"
exit $failed
