#!/bin/sh
# Runs a Windows program of the cross build under wine, headless, in a private
# prefix: wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# The prefix is created on first use (wineboot takes a while the first time).
set -e
prefix=$1
shift
mkdir -p "$prefix"
export WINEPREFIX="$(cd "$prefix" && pwd)"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
fi
exec wine "$@"
