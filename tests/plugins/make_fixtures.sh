#!/usr/bin/env bash
# Writes the WebP fixtures of the plug-in tests and, beside each, libwebp's own
# decode as PAM (RGBA) from dwebp: lossy, lossless, and lossless with alpha, at
# an odd width so the rows need padding. Run once; the results are committed.
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/fixtures
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 167x95 gradient:"#ff2000-#0030ff" -swirl 90 -seed 7 -attenuate 0.6 +noise Gaussian "$tmp/colour.png"
convert -size 95x167 gradient:white-black -rotate 90 "$tmp/mask.png"
convert "$tmp/colour.png" "$tmp/mask.png" -alpha off -compose copy_opacity -composite "$tmp/alpha.png"
cwebp -quiet -q 90 "$tmp/colour.png" -o "$out/lossy.webp"
cwebp -quiet -lossless "$tmp/colour.png" -o "$out/lossless.webp"
cwebp -quiet -lossless -exact "$tmp/alpha.png" -o "$out/alpha.webp"
for f in lossy lossless alpha; do
  dwebp -quiet "$out/$f.webp" -pam -o "$out/$f.pam"
done
