#!/usr/bin/env bash
# The 64-bit installer under Wine, silently (/S), in a fresh prefix. (The
# 32-bit setup.exe that carries it cannot run on the 64-bit-only Wine here.)
#  1. Install into the default folder: the files, the Start menu entry, App
#     Paths, the applet's registration; the installed program starts.
#  2. Uninstall: all gone, Program Files as before.
#  3. Install into a folder the user chose below a folder of their own; an
#     upgrade without /D finds it again and keeps the user's file there.
#  4. With Ravlin running (a stand-in holding its mutex) setup and uninstall
#     refuse with exit code 2 and change nothing.
#  5. Uninstall while Explorer would hold the applet (a stand-in keeps it
#     loaded): what is in use waits for the restart, with its registry entry;
#     after the restart the uninstaller, run once more, removes the rest,
#     but not the user's file nor the user's folders.
#  6. The setup users start hands over to the installer it carries: the
#     command line (/S, /D= with blanks) and the exit code; the uninstaller
#     leaves the empty folder the user had made for it. It is built here
#     as a 64-bit program; only its refusal of 32-bit Windows stays untested.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
setup=$(ls "$DIST"/Ravlin-*-setup64.exe 2>/dev/null | head -1)
[ -n "$setup" ] || { echo "skipped: no $DIST/Ravlin-*-setup64.exe (bash tools/build-windows.sh)"; exit 77; }
need_dist htm

new_prefix installer >/dev/null
apppaths='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Ravlin.exe'
cpls='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Control Panel\Cpls'
uninst='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Ravlin'
runonce='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\RunOnce'
pending='HKLM\System\CurrentControlSet\Control\Session Manager'
folder='C:\Program Files\Tarn\Ravlin'
dir=$(unix_path "$folder")
shortcut=$(unix_path 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')/'Modem Diagnostic Tool.lnk'
drive_c=$WINEPREFIX/drive_c
listing() { (cd "$(unix_path "$1")" && find . | sort); }
registry() { for key in "$apppaths" "$uninst"; do "$WINE" reg query "$key" 2>/dev/null | tr -d '\r'; done
             reg_value "$cpls" Quillset; }
program_files_before=$(listing 'C:\Program Files')

stub=$scratch/setup-stub.exe
version=$(PYTHONPATH="$(dirname "$0")/../../tools" python3 -m profiles version)
makensis -V1 -DTARGET=amd64-unicode -DVERSION="$version.0" -DSETUP64="$setup" -DOUTFILE="$stub" \
  "$(dirname "$0")/../../installer/Setup32.nsi" || { echo "could not build the setup stub"; exit 1; }

holder=$scratch/holder.exe
x86_64-w64-mingw32-gcc -O2 -Wall -Wextra -o "$holder" "$(dirname "$0")/holder.c" \
  || { echo "could not build the stand-in"; exit 1; }
# hold WHAT: starts the stand-in (holder.c) and waits until it holds WHAT.
hold() {
  rm -f "$drive_c/release.txt" "$drive_c/holding.txt"
  "$WINE" "$holder" "$@" &
  holder_pid=$!
  for _ in $(seq 100); do [ -f "$drive_c/holding.txt" ] && return 0; sleep 0.2; done
  fail "the stand-in holds $*"
}
release() { touch "$drive_c/release.txt"; wait "$holder_pid"; }

echo "1. install: $(basename "$setup") /S"
"$WINE" "$setup" /S
check "the installer exits with 0" [ $? -eq 0 ]
"$WINESERVER" -w
for f in Ravlin.exe ravlin64.exe Quillset.cpl uninstall.exe; do
  check "installed $f" [ -f "$dir/$f" ]
done
check "no file left beside them" sh -c "! ls '$dir' | grep -q '\.new$'"
check "the pages are those of dist/htm" diff -rq "$DIST/htm" "$dir/htm"
check_eq "App Paths (default)" "$(reg_value "$apppaths" "")" "$folder\\Ravlin.exe"
check_eq "App Paths \"Path\"" "$(reg_value "$apppaths" Path)" "$folder"
check_eq "Control Panel Cpls \"Quillset\"" "$(reg_value "$cpls" Quillset)" "$folder\\Quillset.cpl"
check "Cpls \"Quillset\" is REG_EXPAND_SZ" \
  sh -c "\"$WINE\" reg query '$cpls' /v Quillset 2>/dev/null | grep -q REG_EXPAND_SZ"
check_eq "the uninstall entry's InstallLocation" "$(reg_value "$uninst" InstallLocation)" "$folder"
check_eq "the installer notes the Tarn folder as its own" "$(reg_value "$uninst" CreatedFolder)" \
  'C:\Program Files\Tarn'
check "the Start menu entry" [ -f "$shortcut" ]
if [ -f "$shortcut" ]; then
  fields=$(python3 "$(dirname "$0")/lnk_fields.py" "$shortcut")
  check_eq "the entry starts Ravlin.exe" "$(sed -n 's/^target=//p' <<<"$fields")" "$folder\\Ravlin.exe"
  check_eq "the entry's working folder is the program's" "$(sed -n 's/^folder=//p' <<<"$fields")" "$folder"
fi
# The installed program (with its manifest) starts: it prints its page
# address once its window and page server are up.
: >"$scratch/program.out"
RAVLIN_BROWSER=none timeout 60 "$WINE" "$folder\\ravlin64.exe" >"$scratch/program.out" 2>/dev/null &
program=$!
for _ in $(seq 150); do grep -q 'http://' "$scratch/program.out" && break; sleep 0.2; done
check "the installed ravlin64.exe starts" grep -q 'http://' "$scratch/program.out"
kill "$program" 2>/dev/null; wait "$program" 2>/dev/null
"$WINESERVER" -w

echo "2. uninstall: uninstall.exe /S"
"$WINE" "$folder\\uninstall.exe" /S
# The uninstaller copies itself away and runs from there: wait for it.
"$WINESERVER" -w
check "the program folder is gone" [ ! -e "$dir" ]
check "App Paths is gone" sh -c "! \"$WINE\" reg query '$apppaths' >/dev/null 2>&1"
check_eq "Cpls \"Quillset\" is gone" "$(reg_value "$cpls" Quillset)" ""
check "the uninstall entry is gone" sh -c "! \"$WINE\" reg query '$uninst' >/dev/null 2>&1"
check "the Start menu entry is gone" [ ! -e "$shortcut" ]
check_eq "Program Files holds what it held before" "$(listing 'C:\Program Files')" "$program_files_before"

echo "3. install into C:\\Tools\\Ravlin, then upgrade without /D"
chosen='C:\Tools\Ravlin'
mkdir -p "$drive_c/Tools"
"$WINE" "$setup" /S "/D=$chosen"
check "the installer exits with 0" [ $? -eq 0 ]
"$WINESERVER" -w
chosen_dir=$(unix_path "$chosen")
check "installed into the chosen folder" [ -f "$chosen_dir/ravlin64.exe" ]
echo "the user's notes" >"$chosen_dir/notes.txt"
"$WINE" "$setup" /S
check "the upgrade exits with 0" [ $? -eq 0 ]
"$WINESERVER" -w
check_eq "the upgrade found the earlier folder" "$(reg_value "$apppaths" Path)" "$chosen"
check_eq "and installed nothing elsewhere" "$(listing 'C:\Program Files')" "$program_files_before"
check "the user's file is kept" grep -q "the user's notes" "$chosen_dir/notes.txt"
check_eq "the installer notes only the folder it created" "$(reg_value "$uninst" CreatedFolder)" "$chosen"

echo "4. while Ravlin runs: setup /S and uninstall.exe /S refuse"
files_before=$(listing "$chosen")
registry_before=$(registry)
hold mutex
"$WINE" "$setup" /S
check_eq "setup exits with 2" "$?" 2
# _?= runs the uninstaller in place, so that its exit code is the one seen
# (NSIS reads it only unquoted, so only in a folder without blanks).
"$WINE" "$chosen\\uninstall.exe" /S "_?=$chosen"
check_eq "uninstall exits with 2" "$?" 2
"$WINE" "$stub" /S
check_eq "the setup users start passes the 2 on" "$?" 2
release
"$WINESERVER" -w
check_eq "no file changed" "$(listing "$chosen")" "$files_before"
check_eq "no registry entry changed" "$(registry)" "$registry_before"
check "the Start menu entry stays" [ -f "$shortcut" ]

echo "5. uninstall while the applet is loaded, then restart"
hold "$chosen\\Quillset.cpl"
"$WINE" "$chosen\\uninstall.exe" /S "_?=$chosen"
rc=$?
release
# 3010 (restart needed), which Wine hands to Linux modulo 256.
check_eq "uninstall exits with 3010 (restart needed)" "$rc" $((3010 % 256))
check "the applet waits for the restart" \
  sh -c "\"$WINE\" reg query '$pending' /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' | grep -qi 'Tools.Ravlin.Quillset.cpl'"
check_eq "its Cpls value stays" "$(reg_value "$cpls" Quillset)" "$chosen\\Quillset.cpl"
check "the program is gone" [ ! -e "$chosen_dir/ravlin64.exe" ]
check "App Paths is gone with it" sh -c "! \"$WINE\" reg query '$apppaths' >/dev/null 2>&1"
check "the Start menu entry is gone with it" [ ! -e "$shortcut" ]
check "the uninstall entry stays" reg_key_exists "$uninst"
check_eq "RunOnce finishes after the restart" "$(reg_value "$runonce" RavlinUninstall)" \
  "\"$chosen\\uninstall.exe\" /S"
# A restart: the pending deletes, then RunOnce, as Windows does them.
"$WINESERVER" -k
"$WINE" wineboot -r
"$WINESERVER" -w
check_eq "after it, only the user's file is left" "$(listing "$chosen")" "$(printf '.\n./notes.txt')"
check "the user's own folder C:\\Tools stays" [ -d "$drive_c/Tools" ]
check "App Paths is gone" sh -c "! \"$WINE\" reg query '$apppaths' >/dev/null 2>&1"
check_eq "Cpls \"Quillset\" is gone" "$(reg_value "$cpls" Quillset)" ""
check "the uninstall entry is gone" sh -c "! \"$WINE\" reg query '$uninst' >/dev/null 2>&1"
check_eq "RunOnce is empty again" "$(reg_value "$runonce" RavlinUninstall)" ""

echo "6. the setup users start: /S /D=C:\Other Place\Ravlin"
other='C:\Other Place\Ravlin'
mkdir -p "$drive_c/Other Place"
# NSIS reads /D= only unquoted, so the line goes through cmd as it is.
"$WINE" cmd /c "Z:${stub//\//\\} /S /D=$other"
check "it exits with 0" [ $? -eq 0 ]
"$WINESERVER" -w
check "the installer it carries installed into that folder" [ -f "$(unix_path "$other")/ravlin64.exe" ]
check_eq "App Paths names that folder" "$(reg_value "$apppaths" Path)" "$other"
"$WINE" "$other\\uninstall.exe" /S
"$WINESERVER" -w
check "uninstalled" [ ! -e "$(unix_path "$other")" ]
check_eq "the user's empty folder C:\Other Place stays" "$(listing 'C:\Other Place')" "."
finish
