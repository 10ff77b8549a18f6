#!/usr/bin/env bash
# Compiles the system's folders (app ui engine tapi modem cpl) and the
# framework against MinGW-w64's real Windows headers, for x86_64 and i686,
# with warnings fatal, and both resource scripts (Ravlin.rc, Quillset.rc)
# with MinGW's windres: the target windows_system of the presets win64 and
# win32. It is the first part of the Windows build, which then has these
# objects already (tools/build-windows.sh). Only the framework's own headers
# (afxwin.h and afx/) come from this tree; the Windows build never sees the
# emulated PC's headers (platform/include). Fails on any error or warning.
#   bash tools/check-windows-headers.sh
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${RAVLIN_JOBS:-$(nproc)}
if command -v ccache >/dev/null; then
  export RAVLIN_LAUNCHER=ccache
fi
for arch in win64 win32; do
  cmake --preset "$arch" >/dev/null
  cmake --build --preset "$arch-system" -j"$jobs"
done
echo "check-windows-headers: the system's folders and both resource scripts compile cleanly for x86_64 and i686"
