#!/usr/bin/env bash
# End to end: a book of hostile pages between good ones (make_hostile_book.py),
# opened by the real program under Wine, as a folder or as a CBZ.
#   1. Paged forward and back with a key every 0.3 s while the process's
#      resident memory is sampled and a probe (ui_stall_probe.exe) measures how
#      long the user-interface thread leaves a message unanswered.
#   2. Paged once more a page at a time: every view must show the page it is at
#      (its colour in the middle of the window) or, for a page that cannot be
#      shown, the background: nothing of the previous page remains.
# Fails when a view is wrong, when memory passes what the budget (2 GiB here)
# allows, or when the interface freezes; memory and stalls are printed.
#   hostile_book.sh PAGEWICK_EXE LANGUAGE_DLL PROBE_EXE WORKDIR folder|cbz
set -euo pipefail
exe=$1
lang=$2
probe=$3
work=$4
form=$5
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
source "$root/tests/e2e/e2e_lib.sh"
pw_wine_up

rm -rf "$work"
mkdir -p "$work/app"
cp "$exe" "$work/app/Pagewick.exe"
cp "$lang" "$work/app/"
: >"$work/app/Pagewick.ini"
python3 "$root/tests/e2e/make_hostile_book.py" "$work" >"$work/pages.txt"
mapfile -t pages <"$work/pages.txt"
[ "${#pages[@]}" -ge 10 ] || { echo "FAIL: the hostile book was not made"; exit 1; }

if [ "$form" = cbz ]; then target=$work/book.cbz; else target=$work/book; fi

wine "$work/app/Pagewick.exe" "$(winpath "$target")" >"$work/wine.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true; touch "$work/stop"' EXIT
window=$(pw_wait_main_window "$pid" 180) || explain "the main window did not appear"
pw_wait_title_end "$window" "$(basename "$target")" 150 ||
    explain "the book did not open (title \"$(xdotool getwindowname "$window" 2>/dev/null)\")"
dismiss_fresh_notice
sleep 1

# The Linux process that runs the program (Wine's loader names it by the file).
wpid=$(pgrep -f 'app/Pagewick.exe|app\\Pagewick.exe' | head -1 || true)
[ -n "$wpid" ] || explain "the program's process was not found"

wine "$probe" "$(winpath "$work/stop")" 1000 >"$work/probe.log" 2>&1 &
probePid=$!
# Resident memory, sampled until the run ends: the largest value seen.
(
    peak=0
    while [ ! -e "$work/stop" ] && kill -0 "$wpid" 2>/dev/null; do
        kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$wpid/status" 2>/dev/null || echo 0)
        [ "${kb:-0}" -gt "$peak" ] && peak=$kb && echo "$peak" >"$work/peak-kb"
        sleep 0.1
    done
) &
sleep 2

failures=0
count=${#pages[@]}
echo "paging through $count pages with a key every 0.3 s, forward and back"
for _ in $(seq 2 "$count"); do press shift+Down; sleep 0.3; done
for _ in $(seq 2 "$count"); do press shift+Up; sleep 0.3; done

# want_at N: waits (up to 60 s: a huge page decodes on request) until the view
# shows page N as pages.txt says; counts a failure otherwise.
want_at() {
    local n=$1 name want x y w h got shot="$work/page-$1.png" start=$SECONDS
    read -r name want <<<"${pages[$((n - 1))]}"
    [ "$want" = error ] && want="#808080"
    while :; do
        sleep 0.5
        window_geometry "$window"
        import -window root "$shot"
        # Below the middle, clear of the error text that a refused page shows
        # there, and inside the band of the very wide page.
        got=$(pixel "$shot" $((x + w / 2)) $((y + h * 56 / 100)))
        if [ "#$got" = "$want" ]; then
            echo "ok: page $n ($name) shows $want"
            return 0
        fi
        if [ $((SECONDS - start)) -ge 60 ]; then
            echo "FAIL: page $n ($name) shows #$got, want $want; screenshot $shot"
            failures=$((failures + 1))
            return 1
        fi
    done
}

press shift+Left
for n in $(seq 1 "$count"); do
    want_at "$n" || true
    [ "$n" -lt "$count" ] && press shift+Down
done

touch "$work/stop"
wait "$probePid" || true
peak=$(cat "$work/peak-kb" 2>/dev/null || echo 0)
# The pictures the view holds and the one the loader decodes stay within the
# budget (2 GiB here) together; 300 MB is left for the program, its libraries
# and the decoders' working memory.
limit=$(((2048 + 300) * 1024))
if [ "$peak" -gt 0 ] && [ "$peak" -le "$limit" ]; then
    echo "ok: resident memory peaked at $((peak / 1024)) MB (bound $((limit / 1024)) MB)"
else
    echo "FAIL: resident memory peaked at $((peak / 1024)) MB (bound $((limit / 1024)) MB)"
    failures=$((failures + 1))
fi
cat "$work/probe.log"
# The stalls are reported for the record: the huge pages the user asks for are
# decoded on request (that wait is the page's own), and how long it lasts
# depends on the machine's load. A wait of over 90 s is a freeze, not a decode.
stalls=$(grep -c '^stall ' "$work/probe.log" || true)
longest=$(tr -d '\r' <"$work/probe.log" | sed -n 's/^longest //p')
if [ -z "$longest" ]; then
    echo "FAIL: the stall probe reported nothing"
    failures=$((failures + 1))
elif [ "$longest" -gt 90000 ]; then
    echo "FAIL: the interface froze for $longest ms"
    failures=$((failures + 1))
else
    echo "ok (measured): $stalls stalls over 1 s, the longest $longest ms"
fi

close_with_escape || true
trap - EXIT
[ "$failures" = 0 ] || { echo "$failures failures"; exit 1; }
echo "all checks passed"
