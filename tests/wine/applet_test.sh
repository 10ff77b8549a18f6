#!/usr/bin/env bash
# Quillset.cpl in Wine's own Control Panel host (rundll32
# shell32.dll,Control_RunDLL), in a fresh prefix, in four languages. Wine's
# host sends CPL_INIT, CPL_GETCOUNT, CPL_INQUIRE and CPL_NEWINQUIRE, traces
# the name it got ("sp 0, name L\"...\"" on its shlctrl channel), then sends
# CPL_STARTWPARMSW and, as the applet declines that, CPL_DBLCLK.
#
# CPL_DBLCLK starts "<App Paths Path>\Ravlin.exe". The Ravlin.exe we ship is
# a 32-bit program, which this Wine cannot run; so the program at that path
# here is a 64-bit stand-in (started.c) that records its command line.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
need_dist Quillset.cpl

new_prefix applet >/dev/null
folder='C:\Program Files\Tarn\Ravlin'
dir=$(unix_path "$folder")
mkdir -p "$dir"
cp "$DIST/Quillset.cpl" "$dir/"
x86_64-w64-mingw32-gcc -O2 -Wall -Wextra -o "$dir/Ravlin.exe" "$(dirname "$0")/started.c" \
  || { fail "building the stand-in program"; finish; }
"$WINE" reg add 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Ravlin.exe' \
  /v Path /t REG_SZ /d "$folder" /f >/dev/null 2>&1
marker=$WINEPREFIX/drive_c/started.txt

# LANG, then the name as Wine's debug output writes it (\xxxx for each
# character beyond ASCII).
while read -r lang name; do
  rm -f "$marker"
  log=$scratch/applet-$lang.log
  LANG=$lang LC_ALL=$lang WINEDEBUG=trace+shlctrl \
    "$WINE" rundll32 shell32.dll,Control_RunDLL "$folder\\Quillset.cpl" >"$log" 2>&1
  "$WINESERVER" -w
  got=$(grep -o 'sp 0, name L"[^"]*"' "$log" | head -1 | sed 's/^sp 0, name //')
  check_eq "$lang: the host read the name" "$got" "L\"$name\""
  check "$lang: CPL_DBLCLK started the program App Paths names" [ -f "$marker" ]
  # Wine's CreateProcess rewrites the command line with the program's name
  # in quotes (Windows passes it on as WinExec got it): compare without them.
  [ -f "$marker" ] && check_eq "$lang: its command line" "$(tr -d '"' <"$marker")" "$folder\\Ravlin.exe"
done <<'NAMES'
en_US.UTF-8 Modem Diagnostic Tool
de_DE.UTF-8 Modem-Diagnose-Tool
fr_FR.UTF-8 Outil de diagnostic de modem
ja_JP.UTF-8 \30e2\30c7\30e0\8a3a\65ad\30c4\30fc\30eb
NAMES

# Without "Path" in App Paths nothing is started, and the host still ends.
"$WINE" reg delete 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Ravlin.exe' /f >/dev/null 2>&1
rm -f "$marker"
"$WINE" rundll32 shell32.dll,Control_RunDLL "$folder\\Quillset.cpl" >/dev/null 2>&1
check "without App Paths the host ends with 0" [ $? -eq 0 ]
"$WINESERVER" -w
check "without App Paths nothing is started" [ ! -f "$marker" ]
finish
