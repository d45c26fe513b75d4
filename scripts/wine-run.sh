#!/usr/bin/env bash
# Runs one Windows program under Wine with the private prefix and virtual display
# of scripts/wine-env.sh (started on first use). CTest uses it as the emulator of
# the win64 build.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
pw_wine_up
exec wine "$@"
