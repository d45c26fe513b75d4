#!/usr/bin/env bash
# The emulator of the win64 build's tests: scripts/wine-run.sh with its watchdog.
# (A script of its own: CMake's test discovery drops arguments given with the
# emulator.)
exec "$(dirname "$0")/wine-run.sh" --watchdog "$@"
