#!/usr/bin/env bash
# The 32-bit build on a 64-bit machine hands over to "ravlin64.exe" in its
# own folder and ends, writing nothing. The 64-bit build stands in as a
# small script that records that it was started.
#
#   handover_test.sh PATH_OF_32_BIT_RAVLIN MACHINES_FOLDER
set -euo pipefail
program32=$1
machines=$(cd "$2" && pwd)

if ! file -L "$program32" | grep -q "ELF 32-bit"; then
  echo "not a 32-bit program: $program32" >&2
  exit 1
fi

folder=$(mktemp -d "${TMPDIR:-/tmp}/ravlin-wow64-XXXXXX")
trap 'rm -rf "$folder"' EXIT
mkdir -p "$folder/Program Folder" "$folder/work"
cp "$program32" "$folder/Program Folder/Ravlin"
cat > "$folder/Program Folder/ravlin64" <<'STUB'
#!/bin/sh
echo "started in $(pwd)" > "$(dirname "$0")/handed-over"
STUB
chmod +x "$folder/Program Folder/ravlin64"

cd "$folder/work"
start=$(date +%s)
run32() {
  RAVLIN_MACHINE="$machines/default" RAVLIN_BROWSER=none timeout 30 "$@" > out.txt 2> err.txt
}
# Some kernels run no 32-bit programs (this workplace's among them); user-mode
# emulation runs the program the same way everywhere, so it is used when present.
emulator=()
if command -v qemu-i386 >/dev/null; then
  emulator=(qemu-i386)
fi
status=0
run32 "${emulator[@]}" "$folder/Program Folder/Ravlin" || status=$?
elapsed=$(( $(date +%s) - start ))

for _ in $(seq 50); do
  [ -f "$folder/Program Folder/handed-over" ] && break
  sleep 0.1
done

fail=0
check() { if eval "$1"; then echo "ok: $2"; else echo "FAILED: $2"; fail=1; fi; }
check '[ $status -eq 0 ]' "the 32-bit process ends (exit $status)"
check '[ $elapsed -lt 10 ]' "it ends at once, without a dialog (${elapsed}s)"
check '[ -f "$folder/Program Folder/handed-over" ]' "ravlin64.exe in its own folder was started"
check 'grep -q "started in $folder/work" "$folder/Program Folder/handed-over" 2>/dev/null' \
      "the child runs in the caller's current directory"
check '[ ! -e Ravlin_Trace.trc ]' "no trace file is written"
check '[ ! -s out.txt ]' "no page address is printed (no window)"
[ $fail -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail
