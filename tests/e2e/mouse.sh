#!/usr/bin/env bash
# End to end: the real program under Wine on the virtual display, driven by real
# mouse input. A generated book of 30 solid-colour pages is opened; the wheel
# turns a spread, a right-button stroke to the left jumps back 20 pages, both
# buttons together go into full screen and out again, Enter goes into full
# screen covering the screen, and the next start comes back in full screen.
#   mouse.sh PAGEWICK_EXE LANGUAGE_DLL WORKDIR
set -euo pipefail
exe=$1
lang=$2
work=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
source "$root/tests/e2e/e2e_lib.sh"
pw_wine_up

rm -rf "$work"
mkdir -p "$work/app" "$work/book"
cp "$exe" "$work/app/Pagewick.exe"
cp "$lang" "$work/app/"
# An empty settings file beside the program: the run starts from the defaults.
: >"$work/app/Pagewick.ini"

make_colour_book

pid=
window=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null || true' EXIT


start() {
    wine "$work/app/Pagewick.exe" "$(winpath "$work/book.cbz")" >>"$work/wine.log" 2>&1 &
    pid=$!
    window=$(pw_wait_main_window "$pid" 180) || explain "the main window did not appear"
    # A stall of Wine's of up to a minute has been seen on a loaded machine.
    pw_wait_title_end "$window" "book.cbz" 150 ||
        explain "the book did not open (title \"$(xdotool getwindowname "$window" 2>/dev/null)\")"
    dismiss_fresh_notice
    sleep 1
}

# Closes the program with Esc and waits for it to end.
stop() {
    press Escape
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "FAIL: Esc did not close the program"
        failures=$((failures + 1))
        kill "$pid" 2>/dev/null || true
    fi
    pw_settle_keys Escape
    pid=
}


# The main window's geometry into x, y, w, h (found again: full screen may
# give the program's window another X window).
geometry() {
    window=$(pw_wait_main_window "$pid" 30)
    window_geometry "$window"
}

failures=0
# check NAME RIGHT_PAGE LEFT_PAGE: capture and compare both halves.
check() {
    local name=$1 right=$2 left=$3 shot
    sleep 0.7
    shot="$work/$name.png"
    import -window root "$shot"
    geometry
    compare_halves "$name" "$right" "$left" "$shot" "$x" "$y" "$w" "$h" || failures=$((failures + 1))
}

# covers NAME yes|no: whether the main window covers the whole display.
covers() {
    local name=$1 want=$2 sw sh got
    sleep 0.7
    geometry
    read -r sw sh < <(xdotool getdisplaygeometry)
    got=no
    if [ "$x" -le 0 ] && [ "$y" -le 0 ] && [ $((x + w)) -ge "$sw" ] && [ $((y + h)) -ge "$sh" ]; then
        got=yes
    fi
    if [ "$got" = "$want" ]; then
        echo "ok: $name (${w}x${h}+${x}+${y} on ${sw}x${sh})"
    else
        echo "FAIL: $name: covers the screen: $got, want $want (${w}x${h}+${x}+${y} on ${sw}x${sh})"
        failures=$((failures + 1))
    fi
}

focus() {
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
}

press() {
    focus
    xdotool key --window "$window" --clearmodifiers "$1" 2>/dev/null || xdotool key "$1"
}

# The middle of the window, where the image view is.
centre() {
    geometry
    cx=$((x + w / 2))
    cy=$((y + h / 2))
    focus
    xdotool mousemove --sync "$cx" "$cy"
    sleep 0.3
}

start
check opened 1 2

centre
xdotool click 5
check wheel-toward-turns-a-spread 3 4
press Right
check right-jumps-20 23 24

# A right-button stroke of 40 pixels to the left, in 5-pixel steps.
centre
xdotool mousedown 3
for step in $(seq 1 8); do
    xdotool mousemove --sync $((cx - step * 5)) "$cy"
    sleep 0.05
done
xdotool mouseup 3
check stroke-left-back-20 3 4

# Both buttons together, left first: full screen; right first: back again.
centre
xdotool mousedown 1
sleep 0.1
xdotool mousedown 3
sleep 0.1
xdotool mouseup 3
xdotool mouseup 1
covers chord-enters-full-screen yes
check full-screen-keeps-the-pages 3 4
centre
xdotool mousedown 3
sleep 0.1
xdotool mousedown 1
sleep 0.1
xdotool mouseup 1
xdotool mouseup 3
covers chord-leaves-full-screen no

press Return
covers enter-enters-full-screen yes
stop

# The next start comes back in full screen.
start
covers full-screen-at-next-start yes
check next-start-shows-the-book 1 2
stop

trap - EXIT
[ "$failures" -eq 0 ]
