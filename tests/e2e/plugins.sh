#!/usr/bin/env bash
# End to end: the real program under Wine with our plug-ins in "plugins" beside
# it and fresh settings (the first start takes that folder). A folder of WebP
# pages (lossy, lossless, with alpha) and the same pages as a ".cbt" book open and
# turn through the plug-ins, the pages after the view read ahead; the middle of
# each half of the window must show libwebp's own decode of that page (dwebp,
# composited over black).
#   plugins.sh PAGEWICK_EXE LANGUAGE_DLL PLUGIN_DIR WORKDIR
set -euo pipefail
exe=$1
lang=$2
plugins=$3
work=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
source "$root/tests/e2e/e2e_lib.sh"
pw_wine_up

rm -rf "$work"
mkdir -p "$work/app/plugins" "$work/book" "$work/expected"
cp "$exe" "$work/app/Pagewick.exe"
cp "$lang" "$work/app/"
cp "$plugins"/*.sph "$work/app/plugins/"
: >"$work/app/Pagewick.ini"

# Six portrait pages in the colours of the colour book, solid inside a border of
# noise (which keeps every file above the 2,176 bytes a plug-in needs to be
# offered a file): 1 and 4 lossy, 2 and 5 lossless, 3 and 6 lossless with alpha
# 160 throughout.
for n in $(seq 1 6); do
    png="$work/expected/p$n.png"
    page="$work/book/$(printf 'p%02d.webp' "$n")"
    convert -size 300x400 xc:gray -seed "$n" +noise Random -fill "$(colour "$n")" \
        -draw "rectangle 30,40 269,359" "$png"
    case $((n % 3)) in
        1) cwebp -quiet -q 90 "$png" -o "$page" ;;
        2) cwebp -quiet -lossless "$png" -o "$page" ;;
        0) convert "$png" -alpha set -channel A -evaluate set 62.745% +channel "$png.a.png"
           cwebp -quiet -lossless -exact "$png.a.png" -o "$page" ;;
    esac
    dwebp -quiet "$page" -pam -o "$work/expected/p$n.pam"
    python3 "$root/tests/e2e/expected_webp.py" "$work/expected/p$n.pam" >"$work/expected/p$n.hex"
done
(cd "$work/book" && tar --format=gnu -cf ../book.cbt p*.webp)

failures=0

# run_book PATH TITLE: opens the book, checks the first two spreads, closes.
run_book() {
    local path=$1 title=$2 window shot x y w h
    wine "$work/app/Pagewick.exe" "$(winpath "$path")" >"$work/wine.log" 2>&1 &
    pid=$!
    trap 'kill $pid 2>/dev/null || true' EXIT
    window=$(pw_wait_main_window "$pid" 180) || explain "the main window did not appear"
    pw_wait_title_end "$window" "$title" 150 ||
        explain "$title did not open (title \"$(xdotool getwindowname "$window" 2>/dev/null)\")"
    dismiss_fresh_notice
    sleep 1
    for step in 1 3 5; do
        sleep 0.7
        shot="$work/$title-$step.png"
        import -window root "$shot"
        window_geometry "$window"
        local ry=$((y + h * 6 / 10)) gotRight gotLeft wantRight wantLeft
        gotRight=$(pixel "$shot" $((x + w * 7 / 10)) $ry)
        gotLeft=$(pixel "$shot" $((x + w * 3 / 10)) $ry)
        wantRight=$(cat "$work/expected/p$step.hex")
        wantLeft=$(cat "$work/expected/p$((step + 1)).hex")
        if [ "$gotRight" = "$wantRight" ] && [ "$gotLeft" = "$wantLeft" ]; then
            echo "ok: $title pages $step and $((step + 1))"
        else
            echo "FAIL: $title pages $step and $((step + 1)): right #$gotRight (want #$wantRight), left #$gotLeft (want #$wantLeft); screenshot $shot"
            failures=$((failures + 1))
        fi
        xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
        xdotool key --window "$window" --clearmodifiers Down 2>/dev/null || xdotool key Down
    done
    xdotool key --window "$window" --clearmodifiers Escape 2>/dev/null || xdotool key Escape
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "FAIL: Esc did not close the program"
        failures=$((failures + 1))
        kill "$pid" 2>/dev/null || true
    else
        pw_settle_keys Escape
    fi
    trap - EXIT
}

run_book "$work/book" book
# The first run wrote its settings; the plug-in folder it chose stays.
run_book "$work/book.cbt" book.cbt
[ "$failures" -eq 0 ]
