# Sourced by the scripts that run Windows programs: a private Wine prefix inside the
# build folder and a virtual X display, both started once and shared by every
# program of a run.
#
#   pw_wine_up    start Xvfb (if ours is not running), create the prefix (first time),
#                 start a persistent wineserver; exports DISPLAY and WINEPREFIX
#   pw_wine_down  stop our wineserver and our Xvfb (never anyone else's)
#
# Wine must see the display before its server starts: a server started without one
# leaves every later window without a driver.

PW_ROOT=${PW_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
PW_WINE_DIR=${PW_WINE_DIR:-$PW_ROOT/build/wine}
export WINEPREFIX=$PW_WINE_DIR/prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64

pw__xvfb_alive() {
    [ -f "$PW_WINE_DIR/xvfb.pid" ] && [ -f "$PW_WINE_DIR/display" ] &&
        kill -0 "$(cat "$PW_WINE_DIR/xvfb.pid")" 2>/dev/null &&
        [ -S "/tmp/.X11-unix/X$(cat "$PW_WINE_DIR/display")" ]
}

pw__start_xvfb() {
    local n
    for n in $(seq 71 130); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp -ac >/dev/null 2>&1 9>&- &
            echo $! >"$PW_WINE_DIR/xvfb.pid"
            echo "$n" >"$PW_WINE_DIR/display"
            local i
            for i in $(seq 1 100); do
                [ -S "/tmp/.X11-unix/X$n" ] && return 0
                sleep 0.05
            done
            echo "wine-env: Xvfb :$n did not start" >&2
            return 1
        fi
    done
    echo "wine-env: no free X display" >&2
    return 1
}

# The Japanese texts name "Meiryo UI", which Windows has and Wine lacks: without
# a stand-in Wine draws their characters as boxes. (Wine's own captions keep
# their font: linking it to a Japanese one turns every backslash into a yen sign.)
pw__japanese_fonts() {
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Meiryo UI' /t REG_SZ /d IPAGothic /f \
        >/dev/null 2>&1 9>&- || true
    touch "$WINEPREFIX/.pw-fonts"
}

pw_wine_up() {
    mkdir -p "$PW_WINE_DIR"
    (
        flock 9
        if ! pw__xvfb_alive; then
            pw__start_xvfb || exit 1
            # A new display needs a new server (the old one, if any, has none).
            wineserver -k >/dev/null 2>&1 || true
        fi
        export DISPLAY=":$(cat "$PW_WINE_DIR/display")"
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            wineboot -i >/dev/null 2>&1 9>&- || true
            # No window manager runs on the virtual display: Wine draws the frames.
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 9>&- || true
            pw__japanese_fonts
            wineserver -w >/dev/null 2>&1 9>&- || true
        fi
        # A prefix made before the fonts were set gets them now.
        [ -f "$WINEPREFIX/.pw-fonts" ] || pw__japanese_fonts
        # Persistent for the run: later programs start in a fraction of a second.
        # It answers 2 when our prefix already has a server. A new one gets its
        # session programs (services, devices) started here, detached from every
        # caller's output: started by the first test they would keep its pipe open.
        # (Both without the lock's descriptor, which they would otherwise keep.)
        if wineserver -p >/dev/null 2>&1 9>&-; then
            wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
        fi
    ) 9>"$PW_WINE_DIR/lock" || return 1
    export DISPLAY=":$(cat "$PW_WINE_DIR/display")"
}

pw_wine_down() {
    [ -d "$PW_WINE_DIR" ] || return 0
    wineserver -k >/dev/null 2>&1 || true
    if [ -f "$PW_WINE_DIR/xvfb.pid" ]; then
        kill "$(cat "$PW_WINE_DIR/xvfb.pid")" 2>/dev/null || true
        rm -f "$PW_WINE_DIR/xvfb.pid" "$PW_WINE_DIR/display"
    fi
}

# pw_wait_main_window PID [SECONDS]: waits until the program that `wine` started
# as PID shows its main window on our display and prints that X window. Found by
# what does not change (the window's title becomes the book's path as soon as a
# book opens): the largest visible window of the process, whose X class Wine
# names after the program file. Allows SECONDS (default 120: the first start in a
# fresh prefix is slow); fails at once when the program ends first.
pw_wait_main_window() {
    local pid=$1 seconds=${2:-120} start=$SECONDS window
    while [ $((SECONDS - start)) -lt "$seconds" ]; do
        window=$(pw__largest_window "$pid")
        if [ -n "$window" ]; then
            echo "$window"
            return 0
        fi
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "wine-env: the program ended before its window appeared" >&2
            return 1
        fi
        sleep 0.2
    done
    echo "wine-env: no window of the program after $seconds s" >&2
    return 1
}

# pw_wait_title_end WINDOW TEXT [SECONDS]: waits until the window's title ends
# with TEXT (default 60 s).
pw_wait_title_end() {
    local window=$1 text=$2 seconds=${3:-60} start=$SECONDS title
    while [ $((SECONDS - start)) -lt "$seconds" ]; do
        title=$(xdotool getwindowname "$window" 2>/dev/null || true)
        [[ "$title" == *"$text" ]] && return 0
        sleep 0.2
    done
    return 1
}

# pw_dismiss_notice PID [SECONDS]: a start with a fresh settings file shows the
# notice at start once the book is open. Waits for it (default 60 s), ticks "do not
# show at start" (the box has the focus when the notice opens) and presses OK, so
# that what the test does next reaches the main window and the saved settings
# start without it. Fails when no notice appears.
pw_dismiss_notice() {
    local pid=$1 seconds=${2:-60} start=$SECONDS w
    while [ $((SECONDS - start)) -lt "$seconds" ]; do
        w=$(pw__notice_window "$pid")
        if [ -n "$w" ]; then
            # The keys go once: a program slow to take them must not get a second
            # Space and Enter in its main window (magnifier, full screen).
            timeout 5 xdotool windowactivate --sync "$w" 2>/dev/null ||
                timeout 5 xdotool windowfocus --sync "$w" 2>/dev/null || true
            timeout 5 xdotool key --clearmodifiers space Return 2>/dev/null || true
            while [ $((SECONDS - start)) -lt "$seconds" ]; do
                [ -z "$(pw__notice_window "$pid")" ] && return 0
                sleep 0.2
            done
            break
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    echo "wine-env: the notice at start did not appear or did not close" >&2
    return 1
}

# The notice's window (its caption in either language): a window of the process,
# or any window of that caption on this private display (a program started
# through the shell runs under another process id).
pw__notice_window() {
    local w name
    for w in $({
        xdotool search --onlyvisible --pid "$1"
        xdotool search --onlyvisible --classname '^pagewick\.exe$'
        xdotool search --onlyvisible --name '^Getting Started$'
    } 2>/dev/null | sort -u); do
        name=$(xdotool getwindowname "$w" 2>/dev/null) || continue
        if [ "$name" = "Getting Started" ] || [ "$name" = "はじめに" ]; then
            echo "$w"
            return 0
        fi
    done
    return 0
}

# pw_settle_keys [KEY]: after a program of ours ended on a key press (Esc by
# default), Wine still counts that key as held: its release reached no window
# of the program any more. The next program started on the same desktop then
# receives it as a repeat, and an Esc closes it at once. A press and release
# while no window of ours has the focus clears it.
pw_settle_keys() {
    timeout 5 xdotool key "${1:-Escape}" 2>/dev/null || true
    sleep 0.3
}

# The visible window of the process with the largest area (tiny helper windows
# such as the input-method window are never mapped; tips are small). The process
# is searched by its id, and by the class Wine gives a program's windows in case
# the launcher's id is not the program's.
pw__largest_window() {
    local pid=$1 w geometry width height best="" bestArea=0
    for w in $({
        xdotool search --onlyvisible --pid "$pid"
        xdotool search --onlyvisible --classname '^pagewick\.exe$'
    } 2>/dev/null | sort -u); do
        geometry=$(xdotool getwindowgeometry --shell "$w" 2>/dev/null) || continue
        width=$(sed -n 's/^WIDTH=//p' <<<"$geometry")
        height=$(sed -n 's/^HEIGHT=//p' <<<"$geometry")
        if [ -n "$width" ] && [ -n "$height" ] && [ $((width * height)) -gt "$bestArea" ]; then
            best=$w
            bestArea=$((width * height))
        fi
    done
    # Below 100 x 100 it is no main window (a tip, or a frame not yet sized).
    [ "$bestArea" -ge 10000 ] && echo "$best"
    return 0
}
