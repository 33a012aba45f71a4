#!/usr/bin/env bash
# Creates a private Wine prefix for the tests, quietly and only once: 32-bit, or
# 64-bit when WINEARCH=win64.
# usage: make-wine-prefix.sh PREFIX
set -euo pipefail
prefix=$1
[[ -f "$prefix/.saverstub-ready" ]] && exit 0
source "$(dirname "$0")/wine-env.sh"
if [[ $WINEARCH == win32 ]] && ! "$(dirname "$0")/can-run-32bit.sh"; then
  echo "make-wine-prefix: this machine cannot run 32-bit programs; no 32-bit prefix made" >&2
  exit 0
fi

rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Our own pipes must not reach Wine's helper processes, or whoever waits on them hangs.
"$WINE" wineboot -i </dev/null >/dev/null 2>&1
# Without a window manager Wine stalls about 2 s whenever a window is hidden.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
# A crash must end the program, not wait on a debugger dialog.
"$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
wineserver -w
touch "$prefix/.saverstub-ready"
