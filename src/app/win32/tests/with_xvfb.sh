#!/usr/bin/env bash
# Runs a Windows program under Wine with an X server of its own (Xvfb), for tests that open windows:
#   with_xvfb.sh WINE_RUN PREFIX PROGRAM.exe [ARGUMENTS...]
# The prefix's Wine server is ended before (it may still talk to an X server that has gone) and after.
# A missing Xvfb is a failure, never a skip: make test installs it.
set -uo pipefail
. "$(dirname "$0")/../../../../scripts/xvfb.sh"
wine_run=$1 prefix=$2
shift 2
if ! command -v Xvfb >/dev/null 2>&1; then
    echo "FAIL: Xvfb is not installed (scripts/install-deps.sh test)"
    exit 1
fi
work=$(mktemp -d)
cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
start_xvfb "$work" || exit 1
WINEPREFIX=$prefix wineserver -k 2>/dev/null
# Wine draws the windows' frames itself instead of waiting for a window manager that is not there
# (it would wait for one at each window it hides).
"$wine_run" "$prefix" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$wine_run" "$prefix" "$@"
