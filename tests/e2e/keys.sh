#!/usr/bin/env bash
# End to end: the real program under Wine on the virtual display, driven by real
# key presses. A generated book of 30 solid-colour pages is opened; after each key
# the screen is captured and the colours in the middle of the left and right
# halves of the window must be the pages that key leads to (right to left: the
# first page of a spread is on the right).
#   keys.sh PAGEWICK_EXE LANGUAGE_DLL WORKDIR [SETTINGS]
# With SETTINGS (a settings file whose key table is damaged) the program starts
# from that file instead of an empty one, the same keys must work, and the file
# it writes at exit must hold the built-in key table.
set -euo pipefail
exe=$1
lang=$2
work=$3
settings=${4:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
pw_wine_up

rm -rf "$work"
mkdir -p "$work/app" "$work/book"
cp "$exe" "$work/app/Pagewick.exe"
cp "$lang" "$work/app/"
# An empty settings file beside the program: the run starts from the defaults
# (spreads, right to left) whatever earlier runs left in the user's profile.
if [ -n "$settings" ]; then
    cp "$settings" "$work/app/Pagewick.ini"
else
    : >"$work/app/Pagewick.ini"
fi

# Page n has the colour (n*8, 255-n*8, (n*37)%256): every page differs from its neighbours.
colour() {
    printf '#%02x%02x%02x' $(($1 * 8)) $((255 - $1 * 8)) $(($1 * 37 % 256))
}
for n in $(seq 1 30); do
    convert -size 300x400 "xc:$(colour "$n")" "$work/book/$(printf 'p%02d.png' "$n")"
done
(cd "$work/book" && zip -q -0 ../book.cbz p*.png)

winpath() { echo "Z:${1//\//\\}"; }

wine "$work/app/Pagewick.exe" "$(winpath "$work/book.cbz")" >"$work/wine.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

# The window by its process (its title changes when the book opens), with time
# for a slow first start; then the book's title says the book is open.
# On failure, what the program printed and how it ended tell a Wine stall from a fault of ours.
explain() {
    echo "e2e: $1" >&2
    if ! kill -0 $pid 2>/dev/null; then
        wait $pid
        echo "e2e: the program ended with exit code $?" >&2
    fi
    echo "e2e: the last lines the program printed:" >&2
    tail -20 "$work/wine.log" >&2
    exit 1
}
window=$(pw_wait_main_window "$pid" 180) || explain "the main window did not appear"
# A stall of Wine's of up to a minute has been seen on a loaded machine: the
# title is given time beyond it.
pw_wait_title_end "$window" "book.cbz" 150 ||
    explain "the book did not open (title \"$(xdotool getwindowname "$window" 2>/dev/null)\")"
sleep 1

# The colour of the screen at x, y of a capture.
pixel() {
    convert "$1" -format "%[hex:p{$2,$3}]" info: 2>/dev/null | cut -c1-6 | tr 'A-F' 'a-f'
}

failures=0
# check NAME RIGHT_PAGE LEFT_PAGE: capture and compare both halves.
check() {
    local name=$1 right=$2 left=$3 shot geometry x y w h
    sleep 0.7
    shot="$work/$name.png"
    import -window root "$shot"
    geometry=$(xdotool getwindowgeometry --shell "$window")
    x=$(echo "$geometry" | sed -n 's/^X=//p'); y=$(echo "$geometry" | sed -n 's/^Y=//p')
    w=$(echo "$geometry" | sed -n 's/^WIDTH=//p'); h=$(echo "$geometry" | sed -n 's/^HEIGHT=//p')
    local ry=$((y + h * 6 / 10))
    local gotRight gotLeft wantRight wantLeft
    gotRight=$(pixel "$shot" $((x + w * 7 / 10)) $ry)
    gotLeft=$(pixel "$shot" $((x + w * 3 / 10)) $ry)
    wantRight=$(colour "$right" | cut -c2-)
    wantLeft=$(colour "$left" | cut -c2-)
    if [ "$gotRight" = "$wantRight" ] && [ "$gotLeft" = "$wantLeft" ]; then
        echo "ok: $name (pages $right and $left)"
    else
        echo "FAIL: $name: right #$gotRight (want page $right #$wantRight), left #$gotLeft (want page $left #$wantLeft); screenshot $shot"
        failures=$((failures + 1))
    fi
}

press() {
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    xdotool key --window "$window" --clearmodifiers "$1" 2>/dev/null || xdotool key "$1"
}

check opened 1 2
press Down
check down-turns-a-spread 3 4
press Right
check right-jumps-20 23 24
press shift+Left
check shift-left-first-page 1 2

press Escape
for _ in $(seq 1 100); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
done
if kill -0 $pid 2>/dev/null; then
    echo "FAIL: Esc did not close the program"
    failures=$((failures + 1))
    kill $pid 2>/dev/null || true
else
    echo "ok: Esc closed the program"
fi
trap - EXIT
if [ -n "$settings" ]; then
    if python3 "$root/tests/e2e/check_key_table.py" "$work/app/Pagewick.ini"; then
        echo "ok: the file written at exit holds the built-in key table"
    else
        echo "FAIL: the file written at exit does not hold the built-in key table"
        failures=$((failures + 1))
    fi
fi
[ "$failures" -eq 0 ]
