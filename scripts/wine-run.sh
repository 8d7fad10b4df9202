#!/usr/bin/env bash
# Runs a Windows program of the build under 32-bit Wine, in the build tree's own
# prefix and with Wine's debug chatter off. Usage: wine-run.sh BUILD_DIR PROGRAM [ARG...]
set -euo pipefail
build=$1
shift
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
