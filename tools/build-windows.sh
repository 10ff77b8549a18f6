#!/usr/bin/env bash
# Builds the Windows deliverables with MinGW-w64 and the installer with NSIS:
#   dist/ravlin64.exe    the program, x86_64
#   dist/Ravlin.exe      the program, i686 (the one App Paths names)
#   dist/Quillset.cpl    the Control Panel applet, x86_64
#   dist/htm/            the pages
#   dist/ravlin-capture.exe  the support tool that captures a PC as a machine profile (not installed)
#   dist/Ravlin-<version>-setup.exe    the installer users start (32-bit, refuses 32-bit Windows)
#   dist/Ravlin-<version>-setup64.exe  the 64-bit installer inside it, which the Wine tests run
# Build folders: build-win64 and build-win32 (or $RAVLIN_WIN64_BUILD,
# $RAVLIN_WIN32_BUILD). Uses ccache when it is installed.
#   bash tools/build-windows.sh            build everything, then the installer
#   bash tools/build-windows.sh --package  only the installer, from what dist/ holds
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${RAVLIN_JOBS:-$(nproc)}
b64=${RAVLIN_WIN64_BUILD:-build-win64}
b32=${RAVLIN_WIN32_BUILD:-build-win32}
version=$(sed -n 's/^project(Ravlin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "build-windows: no version in CMakeLists.txt" >&2; exit 1; }

package_only=0
[ "${1:-}" = --package ] && package_only=1

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
configure() { # folder toolchain
  cmake -S . -B "$1" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/$2.cmake" -DCMAKE_BUILD_TYPE=Release \
        "${launcher[@]}" "${@:3}" >/dev/null
}
if [ $package_only -eq 0 ]; then
  configure "$b64" mingw-x86_64
  # The unit suites that build for Windows too (run under Wine by
  # tests/wine/unit_suites_test.sh): every *_tests target the build offers.
  suites=$(cmake --build "$b64" --target help | sed -n -e 's/^\.\.\. \([A-Za-z0-9_]*_tests\)$/\1/p' -e 's/^\([A-Za-z0-9_]*_tests\): .*/\1/p' | sort -u)
  # shellcheck disable=SC2086
  cmake --build "$b64" -j"$jobs" --target Ravlin Quillset ravlin-capture $suites
  configure "$b32" mingw-i686
  cmake --build "$b32" -j"$jobs" --target Ravlin

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

# The installer lists every page by name, so that the uninstaller removes
# exactly the files it installed and no others.
lists=$(mktemp -d)
trap 'rm -rf "$lists"' EXIT
python3 - dist/htm "$lists/htm" <<'PY'
import os, sys
root, out = sys.argv[1], sys.argv[2]
install, uninstall, folders = [], [], []
for folder, dirs, files in sorted(os.walk(root)):
    dirs.sort()
    rel = os.path.relpath(folder, root)
    win = "htm" if rel == "." else "htm\\" + rel.replace("/", "\\")
    folders.append(win)
    install.append(f'SetOutPath "$INSTDIR\\{win}"')
    for f in sorted(files):
        install.append(f'File "{os.path.abspath(os.path.join(folder, f))}"')
        uninstall.append(f'Delete /REBOOTOK "$INSTDIR\\{win}\\{f}"')
for win in reversed(folders):
    uninstall.append(f'RMDir "$INSTDIR\\{win}"')
open(out + ".install.nsh", "w").write("\n".join(install) + "\n")
open(out + ".uninstall.nsh", "w").write("\n".join(uninstall) + "\n")
PY
makensis -V2 -DVERSION="$version.0" -DBIN64="$PWD/dist" -DBIN32="$PWD/dist" -DHTMLIST="$lists/htm" \
         -DOUTFILE="$PWD/dist/Ravlin-$version-setup64.exe" installer/Ravlin.nsi
makensis -V2 -DVERSION="$version.0" -DSETUP64="$PWD/dist/Ravlin-$version-setup64.exe" \
         -DOUTFILE="$PWD/dist/Ravlin-$version-setup.exe" installer/Setup32.nsi
ls -l dist
