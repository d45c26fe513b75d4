#!/usr/bin/env bash
# End to end: the file jobs of the real program under Wine, started from the
# folder tree's context menu with real mouse input. On the prefix's desktop lie a
# ZIP and a RAR book (the tree lists archives by those extensions; the RAR is
# read through the library beside the program) and a folder of pages. Each is right-clicked in the tree: the two books are extracted ("Extract
# to folder") and the folder is packed ("Pack into ZIP (compressed)"), each
# time into the desktop that the folder chooser offers, confirmed with its OK
# button. The progress window must show while a job runs; the results must hold
# the same files, byte for byte, as what was packed. Screenshots of the menu,
# the chooser and the progress window are kept in WORKDIR.
#   file_jobs.sh PAGEWICK_EXE LANGUAGE_DLL RAR_LIBRARY WORKDIR
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
mkdir -p "$work/app" "$work/book" "$work/pages"
cp "$exe" "$work/app/Pagewick.exe"
cp "$lang" "$work/app/"
cp "$library" "$work/app/unrar64.dll"
: >"$work/app/Pagewick.ini"
for n in 1 2; do convert -size 300x400 "xc:$(colour "$n")" "$work/book/p0$n.png"; done
# Noisy pages, large enough that each job runs for a moment.
for n in $(seq 1 24); do
    convert -size 700x700 xc: +noise Random "$work/pages/$(printf 'p%02d.png' "$n")"
done
[ "$(ls "$work/pages" | wc -l)" -eq 24 ] || { echo "FAIL: the pages were not made"; exit 1; }

# Names of three lengths, all longer than any other item of the tree, so that
# longest_row.py tells their rows apart: the RAR's longest, then the ZIP's, then
# the folder's, shorter than the ZIP's by more than the ".zip" packing adds.
desk="$WINEPREFIX/drive_c/users/$(id -un)/Desktop"
folder=pw-e2e-jobs-folder
cbz=pw-e2e-jobs-zip-book-abcd.zip
cbr=pw-e2e-jobs-rar-book-abcdefgh.rar
cleanup() {
    rm -rf "${desk:?}/$folder" "${desk:?}/$folder.zip" "${desk:?}/$cbz" "${desk:?}/${cbz%.zip}" \
        "${desk:?}/$cbr" "${desk:?}/${cbr%.rar}"
}
cleanup
cp -r "$work/pages" "$desk/$folder"
(cd "$work/pages" && zip -q -0 "$desk/$cbz" p*.png)
(cd "$work/pages" && rar a -idq -m0 "$desk/$cbr" p*.png)

pid=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null || true; cleanup' EXIT
failures=0
fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}

wine "$work/app/Pagewick.exe" "$(winpath "$work/book")" >>"$work/wine.log" 2>&1 &
pid=$!
window=$(pw_wait_main_window "$pid" 180) || explain "the main window did not appear"
pw_wait_title_end "$window" "book" 150 ||
    explain "the book did not open (title \"$(xdotool getwindowname "$window" 2>/dev/null)\")"
dismiss_fresh_notice
sleep 1

g=$(xdotool getwindowgeometry --shell "$window")
x=$(sed -n 's/^X=//p' <<<"$g")
y=$(sed -n 's/^Y=//p' <<<"$g")
w=$(sed -n 's/^WIDTH=//p' <<<"$g")
h=$(sed -n 's/^HEIGHT=//p' <<<"$g")
cy=$((y + h / 2))
move() {
    xdotool mousemove --sync "$1" "$2"
    sleep 0.2
}
shoot() {
    sleep 0.7
    import -window root "$work/$1.png"
}
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
# show_pane: the pointer at the view's left edge, then over the tree.
show_pane() {
    move $((x + w / 2)) "$cy"
    move $((x + 8)) "$cy"
    move $((x + 6)) "$cy"
    move $((x + 60)) "$cy"
    sleep 0.5
}

# The pane is widened first (its splitter dragged 200 pixels), so that the three
# names are drawn whole.
show_pane
import -window root "$work/pane.png"
mapfile -t line < <(convert "$work/pane.png" -crop "400x1+$x+$((cy + 100))" +repage txt:- |
    sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | tr 'A-F' 'a-f')
edge=-1
for i in "${!line[@]}"; do
    if [ "$i" -gt 60 ] && [ "${line[$i]}" != ffffff ] && [ "${line[$((i - 1))]}" = ffffff ]; then edge=$i; break; fi
done
[ "$edge" -gt 0 ] || explain "no pane edge found (screenshot $work/pane.png)"
move $((x + edge + 3)) $((cy + 100))
xdotool mousedown 1
for step in 1 2 3 4 5; do move $((x + edge + 3 + step * 40)) $((cy + 100)); done
xdotool mouseup 1
move $((x + 60)) "$cy"

# run_job NAME GROUP INDEX COUNT CAPTION: right-clicks the row of NAME (found
# among the three longest rows: 0 the RAR, 1 the ZIP, 2 the folder), picks the
# item INDEX of the COUNT items in the menu's run GROUP (runs between
# separators), confirms the chooser with OK and waits for the progress window
# captioned CAPTION (a pattern) to come and go.
run_job() {
    local rank=$1 group=$2 index=$3 count=$4 caption=$5 tag=$6 rows item_y chooser cg cx cy2 cw ch seen=0
    show_pane
    shoot "$tag-tree"
    mapfile -t rows < <(python3 "$root/tests/e2e/longest_row.py" "$work/$tag-tree.png" $((x + 15)) $((y + 60)) 380 400 3)
    [ "${#rows[@]}" -eq 3 ] || { fail "$tag: the tree's rows were not found"; return; }
    item_y=${rows[$rank]% *}
    xdotool mousemove --sync $((x + 100)) "$item_y" click 3
    shoot "$tag-menu"
    local menu_y
    menu_y=$(python3 "$root/tests/e2e/menu_rows.py" "$work/$tag-menu.png" $((x + 100)) "$item_y" "$group" "$index" "$count")
    [ -n "$menu_y" ] || { fail "$tag: the context menu was not found"; xdotool key Escape; return; }
    xdotool mousemove --sync $((x + 130)) "$menu_y" click 1
    chooser=
    for _ in $(seq 1 50); do
        chooser=$(xdotool search --name '^Browse for Folder$' 2>/dev/null | tail -1 || true)
        [ -n "$chooser" ] && break
        sleep 0.2
    done
    [ -n "$chooser" ] || { fail "$tag: no folder chooser"; return; }
    shoot "$tag-chooser"
    cg=$(xdotool getwindowgeometry --shell "$chooser")
    cx=$(sed -n 's/^X=//p' <<<"$cg")
    cy2=$(sed -n 's/^Y=//p' <<<"$cg")
    cw=$(sed -n 's/^WIDTH=//p' <<<"$cg")
    ch=$(sed -n 's/^HEIGHT=//p' <<<"$cg")
    # OK: the middle button of the chooser's bottom row.
    xdotool mousemove --sync $((cx + cw - 155)) $((cy2 + ch - 24)) click 1
    for _ in $(seq 1 300); do
        if xdotool search --name "^$caption" >/dev/null 2>&1; then
            if [ "$seen" -eq 0 ]; then import -window root "$work/$tag-progress.png"; fi
            seen=1
        elif [ "$seen" -eq 1 ]; then
            break
        fi
        sleep 0.1
    done
    if [ "$seen" -eq 1 ]; then echo "ok: $tag: the progress window showed"; else fail "$tag: no progress window"; fi
}

# same_files DIR: DIR holds exactly the pages, byte for byte.
same_files() {
    diff -r "$work/pages" "$1" >/dev/null 2>&1
}

# The folder is packed first: what each job adds to the desktop has a shorter
# name than the items of the jobs after it, whose ranks therefore hold.
run_job 2 4 1 2 "Pack into ZIP \\(compressed\\)" pack
rm -rf "$work/unpacked"
for _ in $(seq 1 50); do [ -s "$desk/$folder.zip" ] && break; sleep 0.2; done
if [ -s "$desk/$folder.zip" ] && unzip -q "$desk/$folder.zip" -d "$work/unpacked" && same_files "$work/unpacked"; then
    echo "ok: the folder was packed and unzip gives its pages back"
else
    fail "the packed ZIP is missing or differs"
fi

run_job 1 3 0 1 "Extract to folder" extract-zip
for _ in $(seq 1 50); do same_files "$desk/${cbz%.zip}" && break; sleep 0.2; done
if same_files "$desk/${cbz%.zip}"; then echo "ok: the ZIP book was extracted"; else fail "the ZIP book's folder differs"; fi

run_job 0 3 0 1 "Extract to folder" extract-rar
for _ in $(seq 1 50); do same_files "$desk/${cbr%.rar}" && break; sleep 0.2; done
if same_files "$desk/${cbr%.rar}"; then echo "ok: the RAR book was extracted"; else fail "the RAR book's folder differs"; fi

move $((x + w / 2)) "$cy"
move $((x + w / 2 + 10)) "$cy"
sleep 1
close_with_escape || true
pid=
cleanup
trap - EXIT
[ "$failures" -eq 0 ]
