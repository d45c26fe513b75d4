#!/usr/bin/env bash
# Sets up what is missing, builds the Windows program and opens a book in it under
# Wine (default: the sample book the build draws). On a machine with a display the
# window appears there; without one it runs under Xvfb, a screenshot is written and
# its path printed, and the program is closed.
#   scripts/run.sh [BOOK]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake --preset win64 >build/run-configure.log 2>&1 || { cat build/run-configure.log; exit 1; }
cmake --build --preset win64 --target Pagewick English Japanese sample_book
book=${1:-$root/build/win64/sample/Sample.cbz}
book=$(realpath "$book")
winbook="Z:${book//\//\\}"
exe=$root/build/win64/bin/Pagewick.exe

if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
    # A real display: a prefix of its own, so the test display's server is not used.
    export PW_WINE_DIR=$root/build/wine-desktop
    export WINEPREFIX=$PW_WINE_DIR/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$PW_WINE_DIR"
    exec wine "$exe" "$winbook"
fi

# A prefix and display of its own: stopping them at the end leaves a test run alone.
export PW_WINE_DIR=${PW_WINE_DIR:-$root/build/wine-run}
source scripts/wine-env.sh
pw_wine_up
# Every run starts as a first-time user's: no settings yet, so the notice at start shows.
rm -f "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Pagewick/Pagewick.ini
wine "$exe" "$winbook" >/dev/null 2>&1 &
pid=$!
if ! window=$(pw_wait_main_window "$pid" 180); then
    echo "run: the main window did not appear" >&2
    kill "$pid" 2>/dev/null || true
    pw_wine_down
    exit 1
fi
# The title names the book once it is open; then give the first paint a moment.
pw_wait_title_end "$window" "$(basename "$book")" 60 || echo "run: the book's title did not appear; capturing anyway" >&2
for _ in $(seq 1 50); do [ -n "$(pw__notice_window "$pid")" ] && break; sleep 0.2; done
sleep 1
mkdir -p build/screenshots
shot=$root/build/screenshots/run-$(date +%Y%m%d-%H%M%S).png
import -window root "$shot"
pw_dismiss_notice "$pid" 10 >/dev/null 2>&1 || true
xdotool windowclose "$window" 2>/dev/null || true
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
pw_wine_down
echo "screenshot: $shot"
