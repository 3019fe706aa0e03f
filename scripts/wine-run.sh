#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix with a time limit:
# a hung program fails instead of stalling the run. Used as CTest's emulator.
set -u
source "$(dirname "$0")/wine-env.sh"
limit="${TORVAN_WINE_TIMEOUT:-300}"
wine_prefix_ready || exit 1
wine_display_ready || exit 1
# A display this call started itself goes with it.
trap '[ -n "${TORVAN_XVFB_PID:-}" ] && kill "$TORVAN_XVFB_PID" 2>/dev/null' EXIT
timeout -k 10 "$limit" wine "$@"
rc=$?
[ $rc -eq 124 ] && echo "wine-run: timed out after ${limit}s: $*" >&2
exit $rc
