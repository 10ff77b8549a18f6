#!/usr/bin/env bash
# Builds the Windows deliverables with MinGW-w64 and the installer with NSIS:
#   dist/ravlin64.exe    the program, x86_64
#   dist/Ravlin.exe      the program, i686 (the one App Paths names)
#   dist/Quillset.cpl    the Control Panel applet, x86_64
#   dist/htm/            the pages
#   dist/ravlin-capture.exe  the support tool that captures a PC as a machine profile (not installed)
#   dist/Ravlin-<version>-setup.exe    the installer users start (32-bit, refuses 32-bit Windows)
#   dist/Ravlin-<version>-setup64.exe  the 64-bit installer inside it, which the Wine tests run
# Build folders: build-win64 and build-win32 (the presets win64 and win32).
# Uses ccache when it is installed.
#   bash tools/build-windows.sh            build everything, then the installer
#   bash tools/build-windows.sh --package  only the installer, from what dist/ holds
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${RAVLIN_JOBS:-$(nproc)}
b64=build-win64
b32=build-win32
version=$(PYTHONPATH=tools python3 -m profiles version)

package_only=0
[ "${1:-}" = --package ] && package_only=1

if command -v ccache >/dev/null; then
  export RAVLIN_LAUNCHER=ccache
fi
# The presets win64 and win32 (CMakePresets.json) name what each builds: the
# program, the applet, the capture tool and every unit suite that builds for
# Windows too (target windows_suites, run under Wine by
# tests/wine/unit_suites_test.sh); the 32-bit program.
build() { # preset
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j"$jobs"
}
if [ $package_only -eq 0 ]; then
  build win64
  build win32

  rm -rf dist
  mkdir -p dist
  cp "$b64/bin/ravlin64.exe" "$b64/bin/Quillset.cpl" "$b64/bin/ravlin-capture.exe" dist/
  cp "$b32/bin/Ravlin.exe" dist/
  cp -rL htm dist/htm
fi
for f in ravlin64.exe Quillset.cpl Ravlin.exe htm; do
  [ -e "dist/$f" ] || { echo "build-windows: dist/$f is missing" >&2; exit 1; }
done
rm -f dist/Ravlin-*-setup.exe dist/Ravlin-*-setup64.exe

# The installer lists every page by name (tools/list-pages.py).
lists=$(mktemp -d)
trap 'rm -rf "$lists"' EXIT
python3 tools/list-pages.py dist/htm "$lists/htm"
makensis -V2 -DVERSION="$version.0" -DBIN64="$PWD/dist" -DBIN32="$PWD/dist" -DHTMLIST="$lists/htm" \
         -DOUTFILE="$PWD/dist/Ravlin-$version-setup64.exe" installer/Ravlin.nsi
makensis -V2 -DVERSION="$version.0" -DSETUP64="$PWD/dist/Ravlin-$version-setup64.exe" \
         -DOUTFILE="$PWD/dist/Ravlin-$version-setup.exe" installer/Setup32.nsi
ls -l dist
