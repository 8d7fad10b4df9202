#!/usr/bin/env bash
# Command 1, the main job: builds the plug-in, loads it into the test browser and
# prints the answers of real calls; then installs it silently into the build's
# Wine prefix and calls the installed plug-in, found by its MIME type as the
# browser finds it. The install is removed again at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" >/dev/null
bash "$root/scripts/wine-session.sh" "$build" start
trap 'bash "$root/scripts/wine-session.sh" "$build" stop' EXIT

run() { "$root/scripts/wine-run.sh" "$build" "$@"; }
winpath() { run winepath -w "$1" 2>/dev/null | tr -d '\r'; }
dll=$(winpath "$build/bin/npPalomirFirefoxPlugin.dll")
nphost=$build/bin/nphost.exe
mime=application/palomir-firefox-plugin_10_16_0_0
signed=$(winpath "$build/fixtures/signed/good.exe")
unsigned=$(winpath "$build/fixtures/unsigned.exe")
record_unix=$build/main-job-record.txt
record=$(winpath "$record_unix")

# show LABEL ARGS...: one nphost run, its answer and exit status.
show() {
  local label=$1
  shift
  echo "\$ nphost $label"
  set +e
  PALOMIR_RECORD_FILE="$record" run "$nphost" "$@" 2>&1 | tr -d '\r' | sed 's/^/  /'
  local code=${PIPESTATUS[0]}
  set -e
  echo "  (exit $code)"
}

echo "== The plug-in, loaded from the build: $dll"
show "PLUGIN --info" "$dll" --info
show "PLUGIN GetMachineID" "$dll" GetMachineID
show "PLUGIN GetMachineID again" "$dll" GetMachineID
show "PLUGIN GetMachineID with arguments" "$dll" GetMachineID ignored arguments
rm -f "$record_unix"
show "PLUGIN ExecuteProcess SIGNED \"hello world\"" "$dll" ExecuteProcess "$signed" "hello world"
for _ in $(seq 1 40); do [ -s "$record_unix" ] && break; sleep 0.25; done
echo "  the started program recorded: $(tr -d '\r' <"$record_unix" 2>/dev/null | tail -n 1)"
show "PLUGIN ExecuteProcess UNSIGNED x" "$dll" ExecuteProcess "$unsigned" x
show "PLUGIN ExecuteProcess (one argument)" "$dll" ExecuteProcess "$signed"
show "PLUGIN getMachineID (wrong letter case)" "$dll" getMachineID
show "PLUGIN valueOf" "$dll" valueOf
show "PLUGIN --get anything" "$dll" --get anything

echo
echo "== The installer, machine-wide and silent"
run "$build/bin/PalomirPluginSetup.exe" /S
run reg query 'HKLM\SOFTWARE\MozillaPlugins' /s 2>/dev/null | tr -d '\r' | sed 's/^/  /'
echo
echo "== The installed plug-in, found by its MIME type"
show "--mime $mime --info" --mime "$mime" --info
show "--mime $mime GetMachineID" --mime "$mime" GetMachineID

# Leave the prefix as it was, for the tests.
location=$(run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\PalomirFirefoxPlugin' /v InstallLocation 2>/dev/null |
  tr -d '\r' | awk '$1 == "InstallLocation" { $1 = ""; $2 = ""; sub(/^  /, ""); print }')
if [ -n "$location" ]; then
  run "$location\\Uninstall.exe" /S /AllUsers "_?=$location"
  run cmd /c del "$location\\Uninstall.exe" >/dev/null 2>&1 || true
  run cmd /c rmdir "$location" >/dev/null 2>&1 || true
  echo
  echo "(the install was removed again)"
fi
