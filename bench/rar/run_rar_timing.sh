#!/usr/bin/env bash
# Writes a 300-page CBR (incompressible pages of 150-450 KB, like JPEG pages) and
# runs the Windows timing program on it under Wine.
#   run_rar_timing.sh [BUILD_DIR]   (default build/win64-bench, configured with PW_BENCH=ON)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/win64-bench}
work=$build/rar_timing_book
if [ ! -f "$work/book.cbr" ]; then
    rm -rf "$work" && mkdir -p "$work/pages"
    for i in $(seq -w 1 300); do
        head -c $((150000 + (10#$i * 7919) % 300000)) /dev/urandom > "$work/pages/p$i.jpg"
    done
    (cd "$work/pages" && rar a -idq ../book.cbr p*.jpg)
fi
source "$root/scripts/wine-env.sh"
pw_wine_up
winpath() { echo "Z:${1//\//\\}"; }
wine "$build/bin/rar_timing.exe" "$(winpath "$work/book.cbr")" "$(winpath "$root/build/deps/unrar-win64")"
