#!/usr/bin/env bash
# Command 2: builds and runs every test (extra arguments go to ctest).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh"
bash "$root/scripts/wine-session.sh" "$build" start
trap 'bash "$root/scripts/wine-session.sh" "$build" stop' EXIT
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
