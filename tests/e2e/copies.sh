#!/usr/bin/env bash
# End to end: a spread turned to with a real key is drawn from the display copies
# the loader made. A folder of six detailed portrait pages is opened (spreads,
# right to left, halftone); after Down the screen must hold, pixel for pixel, the
# copy `pwinspect scale` makes of page 3 on the right and of page 4 on the left,
# at the sizes found on screen, the pages meeting on the view's centre line with
# the background beside them.
#   copies.sh PAGEWICK_EXE LANGUAGE_DLL PWINSPECT_EXE WORKDIR
set -euo pipefail
exe=$1
lang=$2
inspect=$3
work=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
source "$root/tests/e2e/e2e_lib.sh"
pw_wine_up

rm -rf "$work"
mkdir -p "$work/app" "$work/book"
cp "$exe" "$work/app/Pagewick.exe"
cp "$lang" "$work/app/"
: >"$work/app/Pagewick.ini"
python3 "$root/tests/e2e/copies_check.py" pages "$work/book" 6 1000 1800

wine "$work/app/Pagewick.exe" "$(winpath "$work/book")" >"$work/wine.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
window=$(pw_wait_main_window "$pid" 180) || explain "the main window did not appear"
pw_wait_title_end "$window" "book" 150 ||
    explain "the book did not open (title \"$(xdotool getwindowname "$window" 2>/dev/null)\")"
dismiss_fresh_notice
sleep 2  # the next spread is read ahead, with its copies

failures=0
press Down
sleep 1.5
shot="$work/turned.png"
import -window root "$shot"
window_geometry "$window"
if ! read -r lx ly lw lh rx ry rw rh view_left view_right < <(python3 "$root/tests/e2e/copies_check.py" \
    rects "$shot" "$x" "$y" "$w" "$h"); then
    echo "FAIL: no spread found on screen"
    failures=$((failures + 1))
else
    echo "left page $lw x $lh at $lx,$ly; right page $rw x $rh at $rx,$ry; view $view_left..$view_right"
    [ "$lw" = "$rw" ] || { echo "FAIL: the two pages differ in width"; failures=$((failures + 1)); }
    # check_page PAGE X Y W H: the capture there equals the page's copy at that size.
    check_page() {
        local page=$1 px=$2 py=$3 pw=$4 ph=$5 copy="$work/copy-$1.bmp"
        if ! wine "$inspect" scale "$(winpath "$work/book/$page.bmp")" "$pw" "$ph" "$(winpath "$copy")" \
            >>"$work/wine.log" 2>&1; then
            echo "FAIL: pwinspect could not scale $page"
            failures=$((failures + 1))
        elif python3 "$root/tests/e2e/copies_check.py" compare "$shot" $((x + px)) $((y + py)) "$copy"; then
            echo "ok: $page on screen is its display copy"
        else
            echo "FAIL: $page on screen is not its display copy"
            failures=$((failures + 1))
        fi
    }
    check_page p03 "$rx" "$ry" "$rw" "$rh"
    check_page p04 "$lx" "$ly" "$lw" "$lh"
fi

close_with_escape || true
trap - EXIT
[ "$failures" -eq 0 ]
