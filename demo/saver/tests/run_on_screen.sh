#!/usr/bin/env bash
# Runs a Windows test program under Wine on a private virtual screen (24 bits, so
# colours come back exact), in a prefix kept for screen runs, and stops that
# prefix's wineserver afterwards so nothing outlives the test.
# usage: run_on_screen.sh WINE_RUN PREFIX PROGRAM [ARGUMENTS...]
set -u
wine_run=$1
export SAVERSTUB_WINEPREFIX=$2 WINEPREFIX=$2
shift 2
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c '"$@"; status=$?; wineserver -k 2>/dev/null; exit $status' \
  run_on_screen "$wine_run" "$@"
