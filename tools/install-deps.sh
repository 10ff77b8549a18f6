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
  libxml2-utils  # xmllint: the manifests are well-formed
  chromium chromium-driver python3 python3-selenium qemu-user
  # The pages in every language: Chinese, Japanese and Korean (noto-cjk);
  # Arabic, Thai, Cyrillic and the Latin letters (noto-core). The page
  # tests' contact sheet of every language is put together with montage.
  fonts-noto-cjk fonts-noto-core imagemagick
  xvfb xdotool x11-utils  # the Wine window test: a screen, keys, window lists
)
# The page tests check the pages' scripts with a parser from the npm
# registry: Node.js and npm, unless the machine has them already.
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)

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
