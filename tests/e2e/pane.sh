#!/usr/bin/env bash
# End to end: the browser pane of the real program under Wine on the virtual
# display, driven by real mouse input. A folder of six solid-colour pages is
# opened with the pane in its default auto-hide mode: touching the view's left
# edge shows the pane and moving back over the view hides it after the delay;
# the Files tab is clicked; a click on a row shows that page; the current page
# is deleted through the row's context menu; a double-click on a folder in the
# tree opens it as the book; the splitter is dragged wider.
# Screenshots of both tabs are kept in WORKDIR. With "ja" the program runs in
# a Japanese session (LANGUAGE_DLL is then Japanese.dll) and only the pane's
# two tabs are captured, to be checked by eye.
#   pane.sh PAGEWICK_EXE LANGUAGE_DLL WORKDIR [ja]
set -euo pipefail
exe=$1
lang=$2
work=$3
language=${4:-en}
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
source "$root/tests/e2e/e2e_lib.sh"
pw_wine_up

rm -rf "$work"
mkdir -p "$work/app" "$work/book"
cp "$exe" "$work/app/Pagewick.exe"
cp "$lang" "$work/app/"
: >"$work/app/Pagewick.ini"
for n in 1 2 3 4 5 6; do
    convert -size 300x400 "xc:$(colour "$n")" "$work/book/$(printf 'p%02d.png' "$n")"
done
[ "$(ls "$work/book" | wc -l)" -eq 6 ] || { echo "FAIL: the book was not made"; exit 1; }

# A folder on the desktop, which the tree lists under its desktop item; its
# name is longer than any other item's, so that its row can be found. The
# prefix's desktop is the user's home folder: the folder is removed at the end.
desk="$WINEPREFIX/drive_c/users/$(id -un)/Desktop"
other=pw-e2e-book-opened-from-the-folder-tree-by-a-double-click
rm -rf "${desk:?}/$other"
mkdir -p "$desk/$other"
convert -size 300x400 "xc:$(colour 9)" "$desk/$other/p01.png"

pid=
window=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null || true; rm -rf "${desk:?}/$other"' EXIT
failures=0
fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}

if [ "$language" = ja ]; then
    # The program takes the session's language when its settings name none.
    LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 wine "$work/app/Pagewick.exe" "$(winpath "$work/book")" >>"$work/wine.log" 2>&1 &
else
    wine "$work/app/Pagewick.exe" "$(winpath "$work/book")" >>"$work/wine.log" 2>&1 &
fi
pid=$!
window=$(pw_wait_main_window "$pid" 180) || explain "the main window did not appear"
pw_wait_title_end "$window" "book" 150 ||
    explain "the book did not open (title \"$(xdotool getwindowname "$window" 2>/dev/null)\")"
dismiss_fresh_notice
sleep 1

geometry() {
    window_geometry "$window"
}
shoot() {
    sleep 0.7
    import -window root "$work/$1.png"
}
move() {
    xdotool mousemove --sync "$1" "$2"
    sleep 0.2
}
# column SHOT X Y0 N: the colours of the N pixels from (X, Y0) downward, one a line.
column() {
    convert "$1" -crop "1x$4+$2+$3" +repage txt:- | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | tr 'A-F' 'a-f'
}
# row SHOT X0 Y N: the colours of the N pixels from (X0, Y) rightward.
row() {
    convert "$1" -crop "${4}x1+$2+$3" +repage txt:- | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | tr 'A-F' 'a-f'
}

geometry
cy=$((y + h / 2))
focus() { xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"; }
focus
move $((x + w / 2)) "$cy"
shoot hidden-at-start
probe_x=$((x + 100))
before=$(pixel "$work/hidden-at-start.png" "$probe_x" "$cy")

# The pointer at the view's left edge shows the pane.
move $((x + 8)) "$cy"
move $((x + 6)) "$cy"
move $((x + 60)) "$cy"
shoot pane-folders-tab
shown=$(pixel "$work/pane-folders-tab.png" "$probe_x" "$cy")
if [ "$shown" != "$before" ]; then echo "ok: the pane shows at the left edge"; else fail "the pane did not show (#$shown)"; fi

# The tree is the white run in the column; the tab row lies just above it.
mapfile -t col < <(column "$work/pane-folders-tab.png" $((x + 30)) "$y" 200)
tree_top=-1
for i in "${!col[@]}"; do
    run=1
    for j in 1 2 3 4 5 6 7 8; do [ "${col[$((i + j))]:-}" = ffffff ] || run=0; done
    if [ "${col[$i]}" = ffffff ] && [ $run -eq 1 ]; then tree_top=$((y + i)); break; fi
done
[ "$tree_top" -gt 0 ] || fail "no folder tree found in the pane"
# The Files tab lies right of the Folders tab, whose text is wider in Japanese.
files_tab_x=$((x + 75))
[ "$language" = ja ] && files_tab_x=$((x + 110))

if [ "$language" = ja ]; then
    # The tree's first rows hold longer texts in Japanese, so the tab row is
    # taken where it lies in either language: below the tool bar.
    if [ "$tree_top" -gt 0 ]; then
        xdotool mousemove --sync "$files_tab_x" $((y + 60)) click 1
        move $((x + 100)) "$cy"
        shoot pane-files-tab
        echo "captured: $work/pane-folders-tab.png and $work/pane-files-tab.png"
    fi
    move $((x + w / 2)) "$cy"
    move $((x + w / 2 + 10)) "$cy"
    sleep 1
    close_with_escape || true
    pid=
    rm -rf "${desk:?}/$other"
    trap - EXIT
    [ "$failures" -eq 0 ]
    exit
fi

# Moving back over the view hides the pane after the delay.
move $((x + w / 2)) "$cy"
move $((x + w / 2 + 10)) "$cy"
sleep 2
shoot hidden-again
again=$(pixel "$work/hidden-again.png" "$probe_x" "$cy")
if [ "$again" = "$before" ]; then echo "ok: the pane hides after the delay"; else fail "the pane stayed (#$again)"; fi

if [ "$tree_top" -gt 0 ]; then
    move $((x + 6)) "$cy"
    move $((x + 60)) "$cy"
    # The Files tab: right of the Folders tab, in the row above the tree.
    xdotool mousemove --sync "$files_tab_x" $((tree_top - 10)) click 1
    sleep 0.5
    move $((x + 100)) "$cy"
    shoot pane-files-tab
    mapfile -t col < <(column "$work/pane-files-tab.png" $((x + 40)) "$tree_top" 200)
    frame_top=-1
    frame_bottom=-1
    for i in "${!col[@]}"; do
        if [ "${col[$i]}" = 489090 ]; then
            if [ "$frame_top" -lt 0 ]; then frame_top=$i; elif [ $((i - frame_top)) -gt 4 ]; then frame_bottom=$i; break; fi
        fi
    done
    if [ "$frame_bottom" -gt 0 ]; then
        echo "ok: the file list marks the current page"
        row_height=$((frame_bottom - frame_top + 1))
        rows_top=$((tree_top + frame_top))
        # A click on the fourth row shows page 4 (with page 5 beside it).
        xdotool mousemove --sync $((x + 40)) $((rows_top + row_height * 3 + row_height / 2)) click 1
        sleep 1
        shoot row-clicked
        geometry
        compare_halves row-click-shows-page-4 4 5 "$work/row-clicked.png" "$x" "$y" "$w" "$h" ||
            failures=$((failures + 1))
        # Its context menu's first item sends the page to the recycle bin.
        xdotool mousemove --sync $((x + 40)) $((rows_top + row_height * 3 + row_height / 2)) click 3
        sleep 1
        xdotool mousemove --sync $((x + 60)) $((rows_top + row_height * 3 + row_height / 2 + 9)) click 1
        for _ in $(seq 1 50); do [ -e "$work/book/p04.png" ] || break; sleep 0.2; done
        if [ -e "$work/book/p04.png" ]; then fail "the page was not deleted"; else echo "ok: the page went to the recycle bin"; fi
        move $((x + 100)) "$cy"
        shoot deleted
        compare_halves delete-shows-the-next 5 6 "$work/deleted.png" "$x" "$y" "$w" "$h" ||
            failures=$((failures + 1))
    else
        fail "no marked row in the file list (screenshot $work/pane-files-tab.png)"
    fi

    # Back on the Folders tab, a double-click on the desktop's folder opens it.
    xdotool mousemove --sync $((x + 30)) $((tree_top - 10)) click 1
    move $((x + 60)) "$cy"
    shoot tree-before-double-click
    read -r item_y item_right < <(python3 "$root/tests/e2e/longest_row.py" \
        "$work/tree-before-double-click.png" $((x + 15)) "$tree_top" 160 300)
    if [ "$item_right" -gt $((x + 100)) ]; then
        xdotool mousemove --sync $((x + 90)) "$item_y" click --repeat 2 --delay 80 1
        if pw_wait_title_end "$window" "$other" 30; then
            echo "ok: a double-click in the tree opened the folder as the book"
            move $((x + 60)) "$cy"
            shoot tree-opened
            geometry
            got=$(pixel "$work/tree-opened.png" $((x + w * 5 / 8)) "$cy")
            if [ "#$got" = "$(colour 9)" ]; then echo "ok: its page is shown"; else fail "the opened folder shows #$got"; fi
        else
            fail "the double-click did not open the folder (title \"$(xdotool getwindowname "$window")\")"
        fi
        xdotool mousemove --sync "$files_tab_x" $((tree_top - 10)) click 1
        move $((x + 60)) "$cy"
    else
        fail "the desktop's folder was not found in the tree (screenshot $work/tree-before-double-click.png)"
    fi

    # The splitter: the strip right of the list's edge, dragged 80 pixels.
    mapfile -t line < <(row "$work/pane-files-tab.png" "$x" $((tree_top + 150)) 400)
    edge=-1
    for i in "${!line[@]}"; do
        if [ "$i" -gt 60 ] && [ "${line[$i]}" != ffffff ] && [ "${line[$((i - 1))]}" = ffffff ]; then edge=$i; break; fi
    done
    if [ "$edge" -gt 0 ]; then
        move $((x + edge + 3)) $((tree_top + 150))
        xdotool mousedown 1
        for step in 1 2 3 4; do move $((x + edge + 3 + step * 20)) $((tree_top + 150)); done
        xdotool mouseup 1
        move $((x + 60)) $((tree_top + 150))
        shoot splitter-dragged
        mapfile -t line < <(row "$work/splitter-dragged.png" "$x" $((tree_top + 150)) 500)
        moved=-1
        for i in "${!line[@]}"; do
            if [ "$i" -gt 60 ] && [ "${line[$i]}" != ffffff ] && [ "${line[$((i - 1))]}" = ffffff ]; then moved=$i; break; fi
        done
        if [ $((moved - edge)) -ge 77 ] && [ $((moved - edge)) -le 83 ]; then
            echo "ok: the splitter dragged the pane 80 pixels wider"
        else
            fail "the splitter moved the edge from $edge to $moved"
        fi
    else
        fail "no list edge found for the splitter"
    fi
fi

# Back over the view, the main window has the keys again.
move $((x + w / 2)) "$cy"
move $((x + w / 2 + 10)) "$cy"
sleep 1
close_with_escape || true
pid=
rm -rf "${desk:?}/$other"
trap - EXIT
[ "$failures" -eq 0 ]
