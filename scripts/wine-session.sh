#!/usr/bin/env bash
# Starts (start) or ends (stop) one persistent wineserver with Wine's services for
# a build tree's prefix. Tests then start in a fraction of a second instead of
# seconds, and no service spawned by a test holds CTest's output pipe open.
set -euo pipefail
build=$1
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
case "$2" in
  start)
    # Exits 2 when a server already runs for the prefix: that one serves as well.
    wineserver -p 2>/dev/null || true
    wine cmd /c exit </dev/null >/dev/null 2>&1
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    ;;
esac
