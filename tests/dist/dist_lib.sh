# Sourced by the packages' tests: the shared fresh prefix (see fresh_prefix.sh)
# and small helpers over it.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
: "${PW_WINE_DIR:?PW_WINE_DIR must name the packages tests prefix folder}"
source "$root/scripts/wine-env.sh"
pw_wine_up
failures=0
drive_c=$WINEPREFIX/drive_c

ok() { echo "ok: $*"; }
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# The Windows path of a Linux path (Wine's Z: drive shows the whole file system).
winpath() { echo "Z:${1//\//\\}"; }
# The Linux path of a path on the prefix's C: drive.
unixpath() {
    local p=${1#[Cc]:}
    echo "$drive_c${p//\\//}"
}
# The user's roaming application data in the prefix (one user).
roaming() {
    find "$drive_c/users" -mindepth 3 -maxdepth 3 -type d -path '*/AppData/Roaming' ! -path '*/Public/*' | head -1
}
# wait_gone PID SECONDS: true once the process has ended.
wait_gone() {
    local pid=$1 i
    for i in $(seq 1 $(($2 * 10))); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}
# close_program PID WINDOW: Esc, the program's close key; its settings are
# written as it ends.
close_program() {
    local pid=$1 window=$2
    timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null || timeout 5 xdotool windowfocus "$window" 2>/dev/null || true
    timeout 5 xdotool key --window "$window" --clearmodifiers Escape 2>/dev/null || timeout 5 xdotool key Escape || true
    if wait_gone "$pid" 20; then
        ok "Esc closed the program"
    else
        fail "Esc did not close the program"
        kill "$pid" 2>/dev/null || true
    fi
}
