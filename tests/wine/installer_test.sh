#!/usr/bin/env bash
# The installer under Wine, silently (/S), in a fresh prefix: the files, the
# App Paths entry and the applet's registration are there afterwards; the
# silent uninstaller takes all of it away again, and nothing else.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
setup=$(ls "$DIST"/Ravlin-*-setup.exe 2>/dev/null | head -1)
[ -n "$setup" ] || { echo "skipped: no $DIST/Ravlin-*-setup.exe (bash tools/build-windows.sh)"; exit 77; }

new_prefix installer >/dev/null
apppaths='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Ravlin.exe'
cpls='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Control Panel\Cpls'
uninst='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Ravlin'
folder='C:\Program Files\Tarn\Ravlin'
dir=$(unix_path "$folder")
listing() { (cd "$(unix_path 'C:\Program Files')" && find . | sort); }
before=$(listing)

echo "install: $(basename "$setup") /S"
"$WINE" "$setup" /S
check "the installer exits with 0" [ $? -eq 0 ]
"$WINESERVER" -w
for f in Ravlin.exe ravlin64.exe Quillset.cpl uninstall.exe; do
  check "installed $f" [ -f "$dir/$f" ]
done
check "installed the pages (htm/Lang0409/start.htm)" [ -f "$dir/htm/Lang0409/start.htm" ]
check "the pages are those of dist/htm" diff -rq "$DIST/htm" "$dir/htm"
check_eq "App Paths (default)" "$(reg_value "$apppaths" "")" "$folder\\Ravlin.exe"
check_eq "App Paths \"Path\"" "$(reg_value "$apppaths" Path)" "$folder"
check_eq "Control Panel Cpls \"Quillset\"" "$(reg_value "$cpls" Quillset)" "$folder\\Quillset.cpl"
check "Cpls \"Quillset\" is REG_EXPAND_SZ" \
  sh -c "\"$WINE\" reg query '$cpls' /v Quillset 2>/dev/null | grep -q REG_EXPAND_SZ"
check "an uninstall entry" reg_key_exists "$uninst"

echo "uninstall: uninstall.exe /S"
"$WINE" "$folder\\uninstall.exe" /S
# The uninstaller copies itself away and runs from there: wait for it.
"$WINESERVER" -w
check "the program folder is gone" [ ! -e "$dir" ]
check "App Paths is gone" sh -c "! \"$WINE\" reg query '$apppaths' >/dev/null 2>&1"
check_eq "Cpls \"Quillset\" is gone" "$(reg_value "$cpls" Quillset)" ""
check "the uninstall entry is gone" sh -c "! \"$WINE\" reg query '$uninst' >/dev/null 2>&1"
check_eq "Program Files holds what it held before" "$(listing)" "$before"
finish
