#!/bin/sh
# Starts (creating on first use) or stops the wine prefix of a test run, with
# a virtual X display of its own for the dialogs the tests drive. One
# persistent wineserver serves every test of the run.
#   wine.sh start PREFIX | stop PREFIX | run PREFIX COMMAND...
set -e
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
shift 2
display_file=$WINEPREFIX/.xvfb-display
pid_file=$WINEPREFIX/.xvfb-pid

# Persistent processes (Xvfb, wineserver, wine's services) must not inherit
# the caller's other descriptors: a held lock file would stay held by them.
detached() {
    "$@" </dev/null >/dev/null 2>&1 3>&- 4>&- 5>&- 6>&- 7>&- 8>&-
}

stop_display() {
    if [ -f "$pid_file" ]; then
        kill "$(cat "$pid_file")" 2>/dev/null || true
        rm -f "$pid_file"
    fi
    rm -f "$display_file"
}

case $action in
start)
    mkdir -p "$WINEPREFIX"
    # A display left by an interrupted run of this prefix goes first, and
    # its wineserver with it: wine's desktop keeps the display it started on.
    if [ -f "$pid_file" ]; then
        detached /usr/lib/wine/wineserver -k || true
        stop_display
    fi
    # Xvfb picks a display number nobody uses (skipping stale lock files) and
    # writes it to the file. Detached from our output: ctest waits for every
    # holder of its pipes.
    : >"$display_file"
    Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$display_file" </dev/null >/dev/null 2>&1 \
        3>&- 4>&- 5>&- 6>&- 7>&- 8>&- &
    echo $! >"$pid_file"
    tries=0
    until [ -s "$display_file" ]; do
        tries=$((tries + 1))
        [ $tries -le 100 ] || { echo "Xvfb did not start" >&2; stop_display; exit 1; }
        sleep 0.1
    done
    export DISPLAY=:$(tr -d '\n' <"$display_file")
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        detached /usr/lib/wine/wine64 wineboot --init
        # The set-up's own server lingers for a while and then ends, taking
        # the service manager with it: wait for that, so the persistent one
        # below is the one every test meets (a service created under the
        # lingering one was unknown to its successor).
        detached /usr/lib/wine/wineserver -w || true
    fi
    # Exits non-zero when a server already runs: that one is kept.
    detached /usr/lib/wine/wineserver -p || true
    # Bring up wine's own services now, detached; started later by a test
    # they would inherit, and hold open, that test's output pipes.
    detached /usr/lib/wine/wine64 wineboot
    # Wine draws the title bars itself, as Windows does: there is no window
    # manager on the virtual display to do it.
    if ! grep -q '^"Decorated"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
        detached /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f
    fi
    ;;
run)
    if [ -s "$display_file" ]; then
        export DISPLAY=:$(tr -d '\n' <"$display_file")
    fi
    exec "$@"
    ;;
stop)
    detached /usr/lib/wine/wineserver -k || true
    stop_display
    ;;
esac
