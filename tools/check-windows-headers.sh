#!/usr/bin/env bash
# Compiles the system's folders (app ui engine tapi modem cpl) against
# MinGW-w64's real Windows headers, for x86_64 and i686, warnings on, and
# compiles both resource scripts with MinGW's windres. Only the framework's
# own headers (afxwin.h and afx/) come from this tree; every Win32 header is
# MinGW's. Fails on any error or warning.
#   bash tools/check-windows-headers.sh
set -euo pipefail
cd "$(dirname "$0")/.."

afx=$(git ls-files | grep -E '(^|/)afxwin\.h$' | head -1)
[ -n "$afx" ] || { echo "check-windows-headers: no afxwin.h in the tree" >&2; exit 1; }
afxdir=$(dirname "$afx")
# The framework's headers are copied into a scratch folder of their own, so
# that <windows.h> and every other Win32 header resolve to MinGW's even where
# the framework's headers sit beside the emulated ones. Only the scratch
# folder is removed at the end, never a folder of the tree.
inc=$(mktemp -d)
trap 'rm -rf "$inc"' EXIT
cp "$afxdir"/afx*.h "$inc"/
[ -d "$afxdir/afx" ] && cp -r "$afxdir/afx" "$inc"/

sources=$(git ls-files 'app/*.cpp' 'ui/*.cpp' 'engine/*.cpp' 'tapi/*.cpp' 'modem/*.cpp' 'cpl/*.cpp' \
          | grep -Ev '(^|/)(tests?|bench|fuzz)/')
log=$(mktemp)
status=0
for arch in x86_64 i686; do
  cxx=$arch-w64-mingw32-g++-posix
  command -v "$cxx" >/dev/null || { echo "check-windows-headers: $cxx is not installed" >&2; exit 1; }
  # Two compilers at a time; each prints its diagnostics to the shared log.
  printf '%s\n' $sources | xargs -P2 -I{} sh -c \
    '"$0" -std=c++20 -Wall -Wextra -fsyntax-only -I"$1" -I"$(dirname "$2")" -Iapp -Iui -Iengine -Itapi -Imodem -Icpl "$2" 2>&1 || echo "$2: failed ($0)"' \
    "$cxx" "$inc" {} >>"$log"
  for rc in app/Ravlin.rc cpl/Quillset.rc; do
    d=$(dirname "$rc")
    $arch-w64-mingw32-windres -I"$d" -I"$d/res" "$rc" -O coff -o /dev/null >>"$log" 2>&1 \
      || echo "$rc: failed ($arch-w64-mingw32-windres)" >>"$log"
  done
done
if [ -s "$log" ]; then
  cat "$log"
  status=1
fi
rm -f "$log"
n=$(printf '%s\n' $sources | wc -l)
[ $status -eq 0 ] && echo "check-windows-headers: $n files and 2 resource scripts compile cleanly for x86_64 and i686"
exit $status
