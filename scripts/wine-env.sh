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
            wineserver -w >/dev/null 2>&1 9>&- || true
        fi
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
