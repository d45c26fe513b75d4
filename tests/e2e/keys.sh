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
source "$root/tests/e2e/e2e_lib.sh"
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

make_colour_book

wine "$work/app/Pagewick.exe" "$(winpath "$work/book.cbz")" >"$work/wine.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

# The window by its process (its title changes when the book opens), with time
# for a slow first start; then the book's title says the book is open.
window=$(pw_wait_main_window "$pid" 180) || explain "the main window did not appear"
# A stall of Wine's of up to a minute has been seen on a loaded machine: the
# title is given time beyond it.
pw_wait_title_end "$window" "book.cbz" 150 ||
    explain "the book did not open (title \"$(xdotool getwindowname "$window" 2>/dev/null)\")"
dismiss_fresh_notice
sleep 1

failures=0
# check NAME RIGHT_PAGE LEFT_PAGE: capture and compare both halves.
check() {
    local name=$1 right=$2 left=$3 shot x y w h
    sleep 0.7
    shot="$work/$name.png"
    import -window root "$shot"
    window_geometry "$window"
    compare_halves "$name" "$right" "$left" "$shot" "$x" "$y" "$w" "$h" || failures=$((failures + 1))
}

check opened 1 2
press Down
check down-turns-a-spread 3 4
press Right
check right-jumps-20 23 24
press shift+Left
check shift-left-first-page 1 2

close_with_escape || true
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
