#!/usr/bin/env bash
# Creates the build tree's 32-bit Wine prefix once; tests must not create it on the way.
set -euo pipefail
build=$1
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEARCH=win32
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
grep -q '^#arch=win32' "$WINEPREFIX/system.reg"
touch "$build/wineprefix.stamp"
