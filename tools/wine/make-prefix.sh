#!/usr/bin/env bash
# Makes a fresh Wine prefix that looks like one of our machine profiles.
#
#   tools/wine/make-prefix.sh PREFIX [MACHINE]
#   tools/wine/make-prefix.sh --stop PREFIX
#
# PREFIX   the prefix folder; whatever is there is deleted first.
# MACHINE  a profile name under machines/ or a profile folder; without it the
#          prefix is Wine's own, with nothing imported.
#
# What it does, in order:
#   1. WINEPREFIX=PREFIX wineboot -i (a new 64-bit prefix);
#   2. imports the profile's registry/*.reg in name order with regedit /S;
#   3. copies the profile's drive_c into the prefix's drive_c, folder names
#      matched without regard to case (C:\Windows is drive_c/windows there);
#   4. for every port in machine.json that has a modem, starts the modem
#      emulator (build/bin/modemfw --modem NAME --machine FOLDER) on a pty
#      and maps the port to it in HKLM\Software\Wine\Ports;
#   5. wineserver -w, so the registry is on disk and the next Wine process
#      starts a server that sees the ports.
# It prints one line per mapped port, "COM3=/dev/pts/7", and leaves the
# emulators running; PREFIX/ravlin/modemfw.pids lists them and "--stop PREFIX"
# ends them (and the prefix's wineserver).
#
# Environment: WINE (default /usr/lib/wine/wine64), WINESERVER (default the
# wineserver beside it), MODEMFW (default build/bin/modemfw), MODEMFW_ARGS
# (extra emulator arguments, e.g. "--time-scale 0.1").
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
WINE=${WINE:-/usr/lib/wine/wine64}
if [ -z "${WINESERVER:-}" ]; then
  WINESERVER=$(dirname "$WINE")/wineserver
  [ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)
fi
MODEMFW=${MODEMFW:-$top/build/bin/modemfw}
export WINEDEBUG=${WINEDEBUG:--all}
# No downloads of Wine's HTML and .NET engines, and no dialogs asking for them.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

usage() { echo "usage: $0 PREFIX [MACHINE] | --stop PREFIX" >&2; exit 2; }

stop_prefix() {
  local prefix=$1
  if [ -f "$prefix/ravlin/modemfw.pids" ]; then
    while read -r pid; do kill "$pid" 2>/dev/null || true; done <"$prefix/ravlin/modemfw.pids"
    rm -f "$prefix/ravlin/modemfw.pids"
  fi
  [ -d "$prefix" ] && WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null || true
}

[ $# -ge 1 ] || usage
if [ "$1" = --stop ]; then
  [ $# -eq 2 ] || usage
  stop_prefix "$(realpath -m "$2")"
  exit 0
fi
[ $# -le 2 ] || usage
prefix=$(realpath -m "$1")
machine=""
if [ $# -eq 2 ]; then
  if [ -d "$2" ]; then machine=$(realpath "$2"); else machine=$top/machines/$2; fi
  [ -f "$machine/machine.json" ] || { echo "$0: $2: no machine.json there" >&2; exit 1; }
fi

stop_prefix "$prefix"
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix
"$WINE" wineboot -i >/dev/null 2>&1
"$WINESERVER" -w
mkdir -p "$prefix/ravlin"
[ -n "$machine" ] || exit 0

# 2. The registry, file by file; regedit reports nothing, so a file it
# could not read shows only in its missing keys.
if [ -d "$machine/registry" ]; then
  for reg in "$machine"/registry/*.reg; do
    [ -f "$reg" ] || continue
    "$WINE" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1 \
      || { echo "$0: regedit failed on $reg" >&2; exit 1; }
  done
fi

# 3. drive_c, merged into the prefix's folders case-insensitively.
if [ -d "$machine/drive_c" ]; then
  python3 - "$machine/drive_c" "$prefix/drive_c" <<'PY'
import os, shutil, sys
src, dst = sys.argv[1], sys.argv[2]
def match(folder, name):
    low = name.lower()
    if os.path.isdir(folder):
        for entry in os.listdir(folder):
            if entry.lower() == low:
                return os.path.join(folder, entry)
    return os.path.join(folder, name)
for root, dirs, files in os.walk(src):
    rel = os.path.relpath(root, src)
    target = dst
    if rel != ".":
        for part in rel.split(os.sep):
            target = match(target, part)
    os.makedirs(target, exist_ok=True)
    for f in files:
        shutil.copy2(os.path.join(root, f), match(target, f))
PY
fi

# 4. One emulator per port with a modem.
ports=$(python3 -c '
import json, sys
m = json.load(open(sys.argv[1]))
for name, port in (m.get("ports") or {}).items():
    if isinstance(port, dict) and port.get("modem"):
        print(name, port["modem"])
' "$machine/machine.json")
if [ -n "$ports" ]; then
  [ -x "$MODEMFW" ] || { echo "$0: $MODEMFW is missing (cmake --build build --target modemfw)" >&2; exit 1; }
  reg=$prefix/ravlin/ports.reg
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n' >"$reg"
  while read -r port modem; do
    out=$prefix/ravlin/modemfw-$port.out
    # shellcheck disable=SC2086
    setsid "$MODEMFW" --modem "$modem" --machine "$machine" ${MODEMFW_ARGS:-} >"$out" 2>&1 </dev/null &
    echo $! >>"$prefix/ravlin/modemfw.pids"
    pty=""
    for _ in $(seq 100); do
      pty=$(grep -o '/dev/pts/[0-9]*' "$out" | head -1 || true)
      [ -n "$pty" ] && break
      sleep 0.1
    done
    [ -n "$pty" ] || { echo "$0: the modem emulator for $port printed no pty:" >&2; cat "$out" >&2; exit 1; }
    printf '"%s"="%s"\r\n' "$port" "$pty" >>"$reg"
    echo "$port=$pty"
  done <<<"$ports"
  "$WINE" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
fi

# 5. Registry on disk; the next server reads the ports.
"$WINESERVER" -w
