#!/bin/sh
# Runs a Windows program of the cross build under wine, headless, in a private
# prefix: wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# The prefix is made on first use (wineboot takes a while the first time);
# a lock keeps programs started side by side (ctest -j) from making it twice.
set -e
prefix=$1
shift
mkdir -p "$prefix"
WINEPREFIX="$(cd "$prefix" && pwd)"
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  flock "$WINEPREFIX/.made.lock" sh -c \
    'test -f "$WINEPREFIX/system.reg" || { wineboot --init >/dev/null 2>&1; } || true'
fi
exec wine "$@"
