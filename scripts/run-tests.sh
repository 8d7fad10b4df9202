#!/usr/bin/env bash
# Command 2: builds and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
cd "$root/build"
# One wineserver for the whole run: starting it takes seconds, a test a fraction.
export WINEPREFIX="$root/build/wineprefix" WINEDEBUG=-all
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
ctest --output-on-failure -j "$(nproc)" "$@"
