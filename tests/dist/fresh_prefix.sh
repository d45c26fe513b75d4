#!/usr/bin/env bash
# The packages' tests share one Wine prefix, made fresh for each run as a user's
# machine would be: nothing of an earlier run, no program of the build in it.
#   fresh_prefix.sh up|down     (PW_WINE_DIR names the prefix's folder)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
: "${PW_WINE_DIR:?PW_WINE_DIR must name the packages tests prefix folder}"
source "$root/scripts/wine-env.sh"
case "${1:-}" in
    up)
        pw_wine_down
        rm -rf "$PW_WINE_DIR"
        start=$SECONDS
        pw_wine_up
        [ -f "$WINEPREFIX/system.reg" ] || { echo "dist: the fresh prefix was not made" >&2; exit 1; }
        echo "dist: fresh prefix ready in $((SECONDS - start)) s"
        ;;
    down) pw_wine_down ;;
    *) echo "usage: fresh_prefix.sh up|down" >&2; exit 2 ;;
esac
