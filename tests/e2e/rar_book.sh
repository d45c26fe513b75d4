#!/usr/bin/env bash
# End to end: a CBR of JPEG pages read by the real program under Wine through
# the RAR library placed beside it. The book opens from the command line; after
# each key the halves of the window must show the pages the key leads to, the
# later ones read ahead by the loader thread while the earlier ones are shown.
#   rar_book.sh PAGEWICK_EXE LANGUAGE_DLL RAR_LIBRARY WORKDIR
set -euo pipefail
exe=$1
lang=$2
library=$3
work=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
source "$root/tests/e2e/e2e_lib.sh"
command -v rar >/dev/null || { echo "FAIL: rar is not installed (scripts/setup.sh installs it)"; exit 1; }
pw_wine_up

rm -rf "$work"
mkdir -p "$work/app" "$work/book"
cp "$exe" "$work/app/Pagewick.exe"
cp "$lang" "$work/app/"
cp "$library" "$work/app/unrar64.dll"
: >"$work/app/Pagewick.ini"

# Solid JPEG pages without chroma subsampling: each comes back within a step or
# two of its colour.
for n in $(seq 1 12); do
    convert -size 300x400 "xc:$(colour "$n")" -quality 100 -sampling-factor 1x1 \
        "$work/book/$(printf 'p%02d.jpg' "$n")"
done
(cd "$work/book" && rar a -idq ../book.cbr p*.jpg)

wine "$work/app/Pagewick.exe" "$(winpath "$work/book.cbr")" >"$work/wine.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
window=$(pw_wait_main_window "$pid" 180) || explain "the main window did not appear"
pw_wait_title_end "$window" "book.cbr" 150 ||
    explain "the book did not open (title \"$(xdotool getwindowname "$window" 2>/dev/null)\")"
dismiss_fresh_notice
sleep 1

# near HEX WANT_HEX: every channel within 6.
near() {
    local a=$1 b=$2 i d
    for i in 0 2 4; do
        d=$((16#${a:$i:2} - 16#${b:$i:2}))
        [ "${d#-}" -le 6 ] || return 1
    done
}

failures=0
check() {
    local name=$1 right=$2 left=$3 shot x y w h ry r l
    sleep 0.7
    shot="$work/$name.png"
    import -window root "$shot"
    window_geometry "$window"
    ry=$((y + h * 6 / 10))
    r=$(pixel "$shot" $((x + w * 7 / 10)) $ry)
    l=$(pixel "$shot" $((x + w * 3 / 10)) $ry)
    if near "$r" "$(colour "$right" | cut -c2-)" && near "$l" "$(colour "$left" | cut -c2-)"; then
        echo "ok: $name (pages $right and $left)"
    else
        echo "FAIL: $name: right #$r (want page $right $(colour "$right")), left #$l (want page $left $(colour "$left")); $shot"
        failures=$((failures + 1))
    fi
}

check opened 1 2
press Down
check down 3 4
press Down
check down-again 5 6
press shift+Right
check last-spread 11 12

close_with_escape || true
trap - EXIT
[ "$failures" -eq 0 ]
