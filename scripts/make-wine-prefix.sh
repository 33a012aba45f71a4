#!/usr/bin/env bash
# Creates a private 32-bit Wine prefix for the tests, quietly and only once.
# usage: make-wine-prefix.sh PREFIX
set -euo pipefail
prefix=$1
[[ -f "$prefix/.saverstub-ready" ]] && exit 0

rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Our own pipes must not reach Wine's helper processes, or whoever waits on them hangs.
wine wineboot -i </dev/null >/dev/null 2>&1
# Without a window manager Wine stalls about 2 s whenever a window is hidden.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
# A crash must end the program, not wait on a debugger dialog.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
wineserver -w
touch "$prefix/.saverstub-ready"
