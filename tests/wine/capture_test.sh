#!/usr/bin/env bash
# Captures a built-in machine under Wine and compares: imports the machine's
# registry and C: drive into a fresh Wine prefix, runs ravlin-capture.exe
# there, then runs the original profile and the capture through the same
# detection and installation checks on Linux (profilecheck) and diffs them.
#
#   capture_test.sh WINE64 RAVLIN-CAPTURE.EXE PROFILECHECK [MACHINE]
#
# Prints the capture's time and size. Exit status 0 when both agree.
set -euo pipefail
wine=$1 exe=$2 check=$3 machine=${4:-default}
src=$(cd "$(dirname "$0")/../.." && pwd)
profile=$src/machines/$machine
work=$(mktemp -d /tmp/ravlin-capture-wine.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver=$(dirname "$wine")/wineserver
cleanup() { "$wineserver" -k 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

winpath() { echo "Z:${1//\//\\}"; }

"$wine" wineboot -i >/dev/null 2>&1

# regedit saves 5.00 files as UTF-16LE; Wine's regedit reads the hex(2) and
# hex(7) bytes of an 8-bit 5.00 file as ANSI text, so the files are imported
# in the form regedit itself would have written.
mkdir -p "$work/reg"
for reg in "$profile"/registry/*.reg; do
  out=$work/reg/$(basename "$reg")
  python3 - "$reg" "$out" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
if not data.startswith(b'\xff\xfe'):
    text = data.decode('utf-8-sig')
    data = b'\xff\xfe' + text.replace('\r\n', '\n').replace('\n', '\r\n').encode('utf-16-le')
open(sys.argv[2], 'wb').write(data)
PY
  "$wine" regedit /S "$(winpath "$out")"
done

# The C: drive, merged into Wine's folders without regard to case.
python3 - "$profile/drive_c" "$WINEPREFIX/drive_c" <<'PY'
import os, shutil, sys
src, dst = sys.argv[1], sys.argv[2]
def place(rel):
    at = dst
    parts = rel.split(os.sep)
    for i, part in enumerate(parts):
        same = [e for e in os.listdir(at) if e.lower() == part.lower()] if os.path.isdir(at) else []
        at = os.path.join(at, same[0] if same else part)
        if i < len(parts) - 1 and not os.path.isdir(at):
            os.makedirs(at)
    return at
for root, _, files in os.walk(src):
    for name in files:
        path = os.path.join(root, name)
        shutil.copyfile(path, place(os.path.relpath(path, src)))
PY

mkdir -p "$work/tool/htm"
cp "$exe" "$work/tool/ravlin-capture.exe"
cp "$src/htm/modem.inf" "$work/tool/htm/modem.inf"
started=$(date +%s.%N)
"$wine" "$work/tool/ravlin-capture.exe" "$(winpath "$work/captured")" | tr -d '\r' | sed 's/^/capture: /'
finished=$(date +%s.%N)
"$wineserver" -w 2>/dev/null || true
echo "capture under Wine: $(python3 -c "print(round($finished - $started, 2))") s (process start included)," \
     "$(du -sb "$work/captured" | cut -f1) bytes in $(find "$work/captured" -type f | wc -l) files"

mkdir -p "$work/run-original" "$work/run-capture"
(cd "$work/run-original" && "$check" "$profile") > "$work/original.txt"
(cd "$work/run-capture" && "$check" "$work/captured") > "$work/captured.txt"
if ! diff -u "$work/original.txt" "$work/captured.txt"; then
  echo "FAIL: the capture of $machine under Wine gives another diagnosis"
  exit 1
fi
head -4 "$work/captured.txt"
echo "PASS: the capture of $machine under Wine gives the same diagnosis"
