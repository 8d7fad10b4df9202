#!/usr/bin/env bash
# Installs the plug-in silently into the tests' Wine prefix in one mode, finds it
# through the registry as the browser does, makes real calls, reinstalls and
# upgrades, uninstalls, and checks that nothing it wrote is left behind.
# Usage: installer-test.sh BUILD_DIR AllUsers|CurrentUser SETUP OLD_SETUP NPHOST
set -euo pipefail
build=$1 mode=$2 setup=$3 old_setup=$4 nphost=$5
here=$(cd "$(dirname "$0")" && pwd)
run() { "$here/../../scripts/wine-run.sh" "$build" "$@"; }

mime=application/palomir-firefox-plugin_10_16_0_0
plugin_id='@palomir.com/PalomirFirefoxPlugin'
if [ "$mode" = AllUsers ]; then root=HKLM; else root=HKCU; fi
plugins="$root\\SOFTWARE\\MozillaPlugins"
uninstall="$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PalomirFirefoxPlugin"
drive_c="$build/wineprefix/drive_c"

fail() { echo "FAIL: $*" >&2; exit 1; }
# reg.exe prints CRLF lines; this gives plain ones.
# Each reg.exe start costs a second or more here: read a key once, then its values.
query() { run reg query "$@" 2>/dev/null | tr -d '\r' || true; }
exists() { run reg query "$1" >/dev/null 2>&1; }
# field DUMP NAME: the data of value NAME in a `reg query KEY` dump.
field() { awk -v name="$2" '$1 == name && $2 ~ /^REG_/ { $1 = ""; $2 = ""; sub(/^  /, ""); print; exit }' <<<"$1"; }
value() { field "$(query "$1")" "$2"; }
registrations() { query "$plugins" | grep -F "$plugin_id" || true; }
# What the product may leave, in either mode's places: its registrations, its
# uninstall entry, its files.
footprint() {
  for r in HKLM HKCU; do
    query "$r\SOFTWARE\MozillaPlugins" /s | grep -iF palomir || true
    query "$r\Software\Microsoft\Windows\CurrentVersion\Uninstall" | grep -iF palomir || true
  done
  (cd "$drive_c" && find . -ipath '*palomir*' | sort)
}
# The silent uninstaller copies itself away and returns at once; wait for it.
wait_until_gone() {
  for _ in $(seq 1 120); do
    [ -z "$(cd "$drive_c" && find . -iname 'npPalomirFirefoxPlugin.dll')" ] && ! exists "$uninstall" && return 0
    sleep 0.5
  done
  fail "the uninstaller did not finish"
}
windows_to_unix() { run winepath -u "$1" 2>/dev/null | tr -d '\r'; }

before=$(footprint)

echo "== an older version, then this one over it"
run "$old_setup" /S "/$mode"
old_key="$plugins\\$plugin_id,version=10.15.0.0"
[ "$(value "$old_key" Version)" = 10.15.0.0 ] || fail "the older version did not register"
old_path=$(value "$old_key" Path)
[ -f "$(windows_to_unix "$old_path")" ] || fail "the older DLL is not at $old_path"

run "$setup" /S "/$mode"
key="$plugins\\$plugin_id,version=10.16.0.0"
[ "$(registrations | wc -l)" = 1 ] || fail "the upgrade left $(registrations | wc -l) registrations"
reg=$(query "$key")
[ "$(field "$reg" Version)" = 10.16.0.0 ] || fail "Version was not updated"
path=$(field "$reg" Path)
[ "$path" != "$old_path" ] || fail "Path was not updated"
[ -f "$(windows_to_unix "$path")" ] || fail "the DLL is not at $path"
[ ! -e "$(windows_to_unix "$old_path")" ] || fail "the older DLL was left at $old_path"
for v in Description ProductName Vendor; do
  [ -n "$(field "$reg" $v)" ] || fail "no $v value"
done
[ "$(field "$reg" Vendor)" = "Palomir Ltd." ] || fail "Vendor is not Palomir Ltd."
[ -n "$(value "$key\\MimeTypes\\$mime" Description)" ] || fail "no MimeTypes\\$mime subkey"
case "$mode" in
  AllUsers) case "$path" in *"Program Files"*) ;; *) fail "machine-wide DLL outside Program Files: $path" ;; esac ;;
  CurrentUser) case "$path" in *"Program Files"*) fail "per-user DLL in Program Files: $path" ;; esac ;;
esac
entry=$(query "$uninstall")
[ "$(field "$entry" Publisher)" = "Palomir Ltd." ] || fail "no publisher in the list of programs"
[ "$(field "$entry" DisplayVersion)" = 10.16.0.0 ] || fail "no version in the list of programs"
[ -n "$(field "$entry" UninstallString)" ] || fail "no uninstall command in the list of programs"

installed=$(footprint)
[ "$installed" != "$before" ] || fail "the footprint does not see the install"

echo "== installing twice leaves one registration"
run "$setup" /S "/$mode"
[ "$(registrations | wc -l)" = 1 ] || fail "a reinstall left $(registrations | wc -l) registrations"
[ "$(value "$key" Path)" = "$path" ] || fail "a reinstall moved the DLL"

echo "== the installed plug-in, found by its MIME type"
id=$(run "$nphost" --mime "$mime" GetMachineID | tr -d '\r')
echo "$id"
[[ "$id" =~ ^\{\"result\":\ \"[A-Z0-9+/]{86}\",\ \"status\":\ 0,\ \"description\":\ \"success\"\}$ ]] ||
  fail "GetMachineID through discovery answered: $id"

record_unix="$build/installer-test/record-$mode.txt"
rm -f "$record_unix"
record=$(run winepath -w "$record_unix" 2>/dev/null | tr -d '\r')
signed=$(run winepath -w "$build/fixtures/signed/good.exe" 2>/dev/null | tr -d '\r')
answer=$(PALOMIR_RECORD_FILE="$record" run "$nphost" --mime "$mime" ExecuteProcess "$signed" "installed run" | tr -d '\r')
echo "$answer"
[ "$answer" = '{"result": "TRUE", "status": 0, "description": "success"}' ] ||
  fail "ExecuteProcess through discovery answered: $answer"
for _ in $(seq 1 60); do [ -s "$record_unix" ] && break; sleep 0.5; done
grep -qF "installed run" "$record_unix" || fail "the signed program did not record its start"

echo "== uninstall"
quiet=$(field "$entry" QuietUninstallString)
[ -n "$quiet" ] || fail "no QuietUninstallString"
uninstaller=${quiet%\"*}
uninstaller=${uninstaller#\"}
run "$uninstaller" /S "/$mode"
wait_until_gone
after=$(footprint)
if [ "$before" != "$after" ]; then
  diff <(echo "$before") <(echo "$after") >&2 || true
  fail "the uninstaller left something behind"
fi
[ -z "$(registrations)" ] || fail "a registration is left"
[ -n "$installed" ] || fail "the footprint saw nothing of the install"

echo "== discovery without an installed plug-in"
if run "$nphost" --mime "$mime" GetMachineID >/dev/null 2>"$build/installer-test/nomime-$mode.txt"; then
  fail "discovery found a plug-in after uninstall"
fi
grep -q "no installed plug-in declares $mime" "$build/installer-test/nomime-$mode.txt" || fail "no clear message without a plug-in"
echo "PASS: $mode"
