#!/bin/sh
# Starts (creating on first use) or stops the wine prefix of a test run.
# One persistent wineserver serves every test of the run.
set -e
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
case $action in
start)
    # Detached from our output: ctest waits for every holder of its pipes.
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        /usr/lib/wine/wine64 wineboot --init </dev/null >/dev/null 2>&1
    fi
    # Exits non-zero when a server already runs: that one is kept.
    /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 || true
    # Bring up wine's own services now, detached; started later by a test
    # they would inherit, and hold open, that test's output pipes.
    /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
    ;;
stop)
    /usr/lib/wine/wineserver -k </dev/null >/dev/null 2>&1 || true
    ;;
esac
