#!/usr/bin/env bash
# Installs every package the build, the tests, the benchmarks and the fuzzers need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libpng-dev zlib1g-dev libjpeg-dev libgif-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  imagemagick povray
  time python3-pil
  # The package's checkers: Debian's policy, and the software centres' metadata.
  desktop-file-utils man-db dpkg-dev lintian appstream
  xauth xvfb
  # The Windows build: cross compiler, zlib, the tests' runner, and apt-get source's unpacker;
  # xvfb (with xauth above) gives its window tests a display.
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wine dpkg-dev
  # The Windows installer and zip, and their lister; rsvg-convert draws the icons (the Windows one by
  # its script, the Linux window's when the program is built).
  nsis p7zip-full librsvg2-bin
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
