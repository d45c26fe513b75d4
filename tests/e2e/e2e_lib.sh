# Sourced by the end-to-end scripts: the generated colour book and the checks on
# screen captures. The scripts set `work` (their folder) and `pid` (the program's).

# Page n has the colour (n*8, 255-n*8, (n*37)%256): every page differs from its neighbours.
colour() {
    printf '#%02x%02x%02x' $(($1 * 8)) $((255 - $1 * 8)) $(($1 * 37 % 256))
}

# make_colour_book: 30 solid pages in $work/book and the same as $work/book.cbz.
make_colour_book() {
    local n
    for n in $(seq 1 30); do
        convert -size 300x400 "xc:$(colour "$n")" "$work/book/$(printf 'p%02d.png' "$n")"
    done
    (cd "$work/book" && zip -q -0 ../book.cbz p*.png)
}

# The colour of the screen at x, y of a capture.
pixel() {
    convert "$1" -format "%[hex:p{$2,$3}]" info: 2>/dev/null | cut -c1-6 | tr 'A-F' 'a-f'
}

# compare_halves NAME RIGHT_PAGE LEFT_PAGE SHOT X Y W H: whether the middle of
# the right and left halves of the window at X,Y (W x H) in SHOT show those
# pages; prints ok or FAIL and returns non-zero on a mismatch.
compare_halves() {
    local name=$1 right=$2 left=$3 shot=$4 x=$5 y=$6 w=$7 h=$8
    local ry=$((y + h * 6 / 10))
    local gotRight gotLeft wantRight wantLeft
    gotRight=$(pixel "$shot" $((x + w * 7 / 10)) $ry)
    gotLeft=$(pixel "$shot" $((x + w * 3 / 10)) $ry)
    wantRight=$(colour "$right" | cut -c2-)
    wantLeft=$(colour "$left" | cut -c2-)
    if [ "$gotRight" = "$wantRight" ] && [ "$gotLeft" = "$wantLeft" ]; then
        echo "ok: $name (pages $right and $left)"
        return 0
    fi
    echo "FAIL: $name: right #$gotRight (want page $right #$wantRight), left #$gotLeft (want page $left #$wantLeft); screenshot $shot"
    return 1
}

# press KEY: a key press to the program's window (`window`), focused first.
press() {
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    xdotool key --window "$window" --clearmodifiers "$1" 2>/dev/null || xdotool key "$1"
}

# close_with_escape: Esc must end the program within 10 s; counts a failure in
# `failures` otherwise (and kills it), and clears the key Wine keeps held after.
close_with_escape() {
    press Escape
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "FAIL: Esc did not close the program"
        failures=$((failures + 1))
        kill "$pid" 2>/dev/null || true
        return 1
    fi
    echo "ok: Esc closed the program"
    pw_settle_keys Escape
}

# On failure, what the program printed and how it ended tell a Wine stall from a fault of ours.
explain() {
    echo "e2e: $1" >&2
    if ! kill -0 "$pid" 2>/dev/null; then
        local rc=0
        wait "$pid" || rc=$?
        echo "e2e: the program ended with exit code $rc" >&2
    fi
    echo "e2e: the last lines the program printed:" >&2
    tail -20 "$work/wine.log" >&2
    exit 1
}

# notice_expected FILE: whether a start with this settings file shows the notice
# at start: slot 12 (showNoticeAtStart) absent, unreadable or not 0 leaves it on.
notice_expected() {
    local f=$1 count words
    [ -s "$f" ] || return 0
    count=$(od -An -t u2 -N 2 "$f" | tr -d ' ')
    [ "${count:-0}" -gt 12 ] || return 0
    words=$(od -An -t u4 -j $((4 + 8 * 12)) -N 8 "$f" | xargs)
    [ "$words" != "1 0" ]
}

# dismiss_fresh_notice: a start whose settings file beside the program leaves the
# notice on (a fresh, empty file, or one without the setting) shows it once the
# book is open; it is ticked off and closed before the test acts, so later starts
# of the same run go without it.
dismiss_fresh_notice() {
    notice_expected "$work/app/Pagewick.ini" || return 0
    pw_dismiss_notice "$pid" 60 || explain "the notice at start did not close"
}

# winpath PATH: the path as Wine sees it (drive Z: is the Linux root).
winpath() { echo "Z:${1//\//\\}"; }

# window_geometry WINDOW: sets x, y, w and h to the window's place and size.
window_geometry() {
    local g
    g=$(xdotool getwindowgeometry --shell "$1")
    x=$(sed -n 's/^X=//p' <<<"$g")
    y=$(sed -n 's/^Y=//p' <<<"$g")
    w=$(sed -n 's/^WIDTH=//p' <<<"$g")
    h=$(sed -n 's/^HEIGHT=//p' <<<"$g")
}
