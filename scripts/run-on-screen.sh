#!/usr/bin/env bash
# Runs a Windows test program under Wine on a private Xvfb screen at 24 bits (so
# colours come back exact), in a prefix kept for screen runs: a wineserver that
# started without a display never shows windows later.
# usage: run-on-screen.sh PREFIX WINE_RUN PROGRAM [ARGS...]
set -u
prefix=$1
wine_run=$2
shift 2
export SAVERSTUB_WINEPREFIX=$prefix
# A wineserver of this prefix still lingering from an earlier run would keep the
# display it started with; stop it before and after, so nothing outlives the test.
WINEPREFIX=$prefix wineserver -k 2>/dev/null
xvfb-run -a -s "-screen 0 1024x768x24" "$wine_run" "$@"
status=$?
WINEPREFIX=$prefix wineserver -k 2>/dev/null
exit $status
