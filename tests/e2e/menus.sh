#!/usr/bin/env bash
# End to end: the menus of the real program under Wine, driven by real mouse
# clicks and key presses. Three books are opened one run after another, so the
# history holds all three; the next run opens the first entry of the History
# submenu (from the main drop-down button) and must show the newest book. There
# Ctrl+B bookmarks the spread shown, and the bookmark, opened again from the
# bookmarks drop-down after going back to the first page, must show that spread.
# The drop-down's menu must open under its button. Captures of the open menus
# stay in WORKDIR.
#   menus.sh PAGEWICK_EXE LANGUAGE_DLL WORKDIR
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
: >"$work/app/Pagewick.ini"
make_colour_book
for n in 1 2 3; do
    cp "$work/book.cbz" "$work/b$n.cbz"
done

failures=0
fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}

# start [BOOK]: the program (with BOOK), its main window in $window.
start() {
    if [ -n "${1:-}" ]; then
        wine "$work/app/Pagewick.exe" "$(winpath "$1")" >"$work/wine.log" 2>&1 &
    else
        wine "$work/app/Pagewick.exe" >"$work/wine.log" 2>&1 &
    fi
    pid=$!
    window=$(pw_wait_main_window "$pid" 180) || explain "the main window did not appear"
    dismiss_fresh_notice
    sleep 1
}

# stop: Esc closes the program, which writes its settings.
stop() {
    press Escape
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        fail "Esc did not close the program"
        kill "$pid" 2>/dev/null || true
    fi
    pw_settle_keys Escape
}

press() {
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    xdotool key --clearmodifiers "$1" 2>/dev/null || xdotool key "$1"
    sleep 0.3
}

geometry() {
    local g
    g=$(xdotool getwindowgeometry --shell "$1")
    gx=$(echo "$g" | sed -n 's/^X=//p')
    gy=$(echo "$g" | sed -n 's/^Y=//p')
    gw=$(echo "$g" | sed -n 's/^WIDTH=//p')
    gh=$(echo "$g" | sed -n 's/^HEIGHT=//p')
}

# The middle of the tool bar's drop-down buttons from the top left of the window
# (Wine draws the frame and caption inside it): each button is a 16-pixel image
# with its frame and the drop-down arrow; a separator follows the first.
button_x() {
    case $1 in
        main) echo 22 ;;
        bookmarks) echo 101 ;;
    esac
}
button_y=31

# open_dropdown NAME: clicks the drop-down button and waits for its menu; the
# menu's window in $menu. Fails unless the menu's top left lies under the button.
open_dropdown() {
    local name=$1 before bx
    before=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort)
    geometry "$window"
    bx=$((gx + $(button_x "$name")))
    xdotool mousemove --sync "$bx" $((gy + button_y)) click 1
    menu=""
    for _ in $(seq 1 50); do
        menu=$(comm -13 <(echo "$before") <(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort) | head -1)
        [ -n "$menu" ] && break
        sleep 0.1
    done
    sleep 0.5
    import -window root "$work/menu-$name.png"
    if [ -z "$menu" ]; then
        fail "the $name drop-down opened no menu"
        return 1
    fi
    local top=$gy
    geometry "$menu"
    # The menu's top left: at the button's bottom (the button is about 22 high)
    # and its left edge.
    if [ $((gy - top - button_y)) -lt 6 ] || [ $((gy - top - button_y)) -gt 18 ] || [ "$gx" -gt "$bx" ] ||
        [ "$gx" -lt $((bx - 30)) ]; then
        fail "the $name menu opened at $gx,$gy, not under its button at $bx,$top"
    else
        echo "ok: the $name menu opened under its button ($gx,$gy; button middle $bx,$((top + button_y)))"
    fi
}

check() {
    local name=$1 right=$2 left=$3 shot
    sleep 0.7
    shot="$work/$name.png"
    import -window root "$shot"
    geometry "$window"
    compare_halves "$name" "$right" "$left" "$shot" "$gx" "$gy" "$gw" "$gh" || failures=$((failures + 1))
}

trap 'kill ${pid:-0} 2>/dev/null || true' EXIT
for n in 1 2 3; do
    start "$work/b$n.cbz"
    pw_wait_title_end "$window" "b$n.cbz" 150 || explain "book b$n did not open"
    stop
done

start
if open_dropdown main; then
    press Down    # History
    press Right   # its first entry, the newest book
    press Return
    if pw_wait_title_end "$window" "b3.cbz" 30; then
        echo "ok: the first history entry reopened the newest book"
    else
        fail "the first history entry opened \"$(xdotool getwindowname "$window")\", not b3.cbz"
    fi
fi

press Down
check spread-two 3 4
press ctrl+b
press shift+Left
check back-to-first 1 2
if open_dropdown bookmarks; then
    press Up      # the last item: the bookmark just made
    press Return
    check bookmark-reopened 3 4
fi
stop
trap - EXIT
[ "$failures" -eq 0 ]
