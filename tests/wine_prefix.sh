#!/bin/sh
# Prepares (start) or ends (stop) the Wine prefix the Windows suite runs in,
# with the given Wine loader. A persistent wineserver, started with its
# output away from the tests' pipes, lets each test's program start in a
# fraction of a second.
set -eu
export WINEPREFIX="$2" WINELOADER="$3" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case "$WINELOADER" in
*64) export WINEARCH=win64 ;;
esac
case "$1" in
start)
    # A server left by an earlier run would never end for `-w` below.
    wineserver -k 2>/dev/null || true
    "$WINELOADER" wineboot --init >/dev/null 2>&1 </dev/null
    wineserver -w
    wineserver -p >/dev/null 2>&1 </dev/null
    "$WINELOADER" cmd /c exit 0 >/dev/null 2>&1 </dev/null
    ;;
stop)
    wineserver -k 2>/dev/null || true
    ;;
esac
