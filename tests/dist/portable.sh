#!/usr/bin/env bash
# The portable package in a fresh prefix: unpacked into a folder of its own, the
# program starts, opens the sample book given on its command line, and keeps its
# settings in the Pagewick.ini beside it; nothing goes to the user's profile.
#   portable.sh ZIP SAMPLE_CBZ WORKDIR
set -euo pipefail
zip=$1
sample=$2
work=$3
source "$(dirname "$0")/dist_lib.sh"

rm -rf "$work"
mkdir -p "$work"
unzip -q "$zip" -d "$work"
app=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -1)
for f in Pagewick.exe English.dll Japanese.dll Pagewick.chm Pagewick.ini ReadMe.txt ReadMe-ja.txt License.txt; do
    [ -f "$app/$f" ] || fail "the package holds no $f"
done
[ -s "$app/Pagewick.ini" ] && fail "the package's settings file is not empty"
before=$(stat -c %Y "$app/Pagewick.ini")

roam=$(roaming)
rm -rf "$roam/Pagewick"
cp "$sample" "$work/Sample.cbz"
start=$SECONDS
wine "$app/Pagewick.exe" "$(winpath "$work/Sample.cbz")" >"$work/wine.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
if window=$(pw_wait_main_window "$pid" 180); then
    if pw_wait_title_end "$window" "Sample.cbz" 60; then
        ok "the unpacked program opened the sample book ($((SECONDS - start)) s after start)"
        # A first start shows the notice; it is ticked off and closed before Esc.
        pw_dismiss_notice "$pid" 60 && ok "the first start showed the notice at start" ||
            fail "no notice at the first start, or it did not close"
    else
        fail "the sample book did not open (title: $(xdotool getwindowname "$window"))"
    fi
    sleep 1
    import -window "$window" "$work/portable.png" 2>/dev/null || true
    close_program "$pid" "$window"
else
    fail "the main window did not appear"
fi
trap - EXIT

if [ -s "$app/Pagewick.ini" ] && [ "$(stat -c %Y "$app/Pagewick.ini")" -ge "$before" ]; then
    ok "the settings were written to the Pagewick.ini beside the program"
else
    fail "no settings written beside the program"
fi
if [ -e "$roam/Pagewick" ]; then
    fail "the portable program made $roam/Pagewick"
else
    ok "nothing in the user's profile"
fi
[ "$failures" -eq 0 ]
