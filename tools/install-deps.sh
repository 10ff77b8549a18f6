#!/usr/bin/env bash
# Installs the Debian packages that building and testing Ravlin need, when
# any of them is missing. Needs root (or sudo) the first time.
set -euo pipefail

packages=(
  build-essential cmake g++ g++-multilib clang
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libboost-dev
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  nsis wine64 ccache
  chromium chromium-driver python3 python3-selenium qemu-user
  fonts-noto-cjk  # the pages of Lang0804 show Chinese text
  xvfb xdotool imagemagick x11-utils  # the Wine window test: a screen, keys, screenshots
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
