#!/usr/bin/env bash
# Runs one Windows program under Wine with the private prefix and virtual display
# of scripts/wine-env.sh (started on first use). CTest runs the tests through
# scripts/wine-test.sh, which asks for the watchdog:
#
#   wine-run.sh [--watchdog] PROGRAM [ARGS...]
#
# The watchdog gives each run PW_RUN_LIMIT seconds (default 90; no unit test of
# ours needs a tenth of that). Wine on a loaded machine now and then leaves a
# process that never ends (seen after a test printed its result, and inside a
# wait that cannot block on Windows); such a run is ended and started once more
# with a note on stderr. A hang in our own code still fails: it hangs twice.
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
pw_wine_up || exit 1
if [ "${1:-}" != --watchdog ]; then
    exec wine "$@"
fi
shift
limit=${PW_RUN_LIMIT:-90}
# The run's output is kept in a file and printed when it ends, so a run that
# printed nothing at all can be told apart: every test program of ours prints
# before its first test, so such a run never reached its own code (Wine now and
# then fails to start a process on a loaded machine and says nothing). That run,
# like one the watchdog ended, is started once more with a note on stderr.
out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX") || exit 1
trap 'rm -f "$out"' EXIT
for attempt in 1 2; do
    timeout -k 10 "$limit" wine "$@" >"$out" 2>&1
    rc=$?
    cat "$out"
    # 124: the watchdog ended it; 137: it needed the kill after the grace.
    if [ "$rc" = 124 ] || [ "$rc" = 137 ]; then
        echo "wine-run: $1 did not end within $limit s (attempt $attempt)" >&2
    elif [ "$rc" != 0 ] && [ ! -s "$out" ]; then
        echo "wine-run: $1 ended with $rc before printing anything (attempt $attempt)" >&2
    else
        exit "$rc"
    fi
done
exit "$rc"
