#!/usr/bin/env bash
# nphost --mime refuses, with a clear message and a non-zero exit, every
# registration that does not lead to the plug-in: a missing key, a Path naming
# no file, a library that declares no such type.
# Usage: discovery-test.sh BUILD_DIR NPHOST
set -euo pipefail
build=$1 nphost=$2
here=$(cd "$(dirname "$0")" && pwd)
run() { "$here/../../scripts/wine-run.sh" "$build" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
mime=application/palomir-firefox-plugin_10_16_0_0
plugins='HKCU\SOFTWARE\MozillaPlugins'
out="$build/installer-test/discovery.txt"
mkdir -p "$build/installer-test"

# expect_refusal TEXT...: nphost --mime fails with exit 4 and says each TEXT.
expect_refusal() {
  set +e
  run "$nphost" --mime "$mime" GetMachineID >"$out.stdout" 2>"$out"
  local code=$?
  set -e
  [ "$code" = 4 ] || fail "exit $code, not 4: $(cat "$out.stdout" "$out")"
  for text in "$@"; do
    grep -qF -- "$text" "$out" || fail "no \"$text\" in: $(cat "$out")"
  done
  [ ! -s "$out.stdout" ] || fail "a refusal printed an answer"
}

cleanup() {
  run reg delete "$plugins\\@test/missing-file" /f >/dev/null 2>&1 || true
  run reg delete "$plugins\\@test/other-type" /f >/dev/null 2>&1 || true
}
trap cleanup EXIT
cleanup

echo "== no plug-in registered"
expect_refusal "no installed plug-in declares $mime"

echo "== a Path naming no file, a library of another type"
run reg add "$plugins\\@test/missing-file" /v Path /d 'C:\nowhere\npMissing.dll' /f >/dev/null
run reg add "$plugins\\@test/other-type" /v Path /d 'C:\windows\system32\kernel32.dll' /f >/dev/null
expect_refusal 'Path names no file: C:\nowhere\npMissing.dll' \
  'kernel32.dll declares ""' "no installed plug-in declares $mime"
echo "PASS"
