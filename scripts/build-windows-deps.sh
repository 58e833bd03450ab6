#!/usr/bin/env bash
# Cross-builds the Windows build's libraries as static archives into build/windows-deps/prefix:
# libpng, libjpeg-turbo and giflib from Debian 12's own source packages (the same releases the
# Linux build links), GoogleTest from /usr/src/googletest. zlib comes from libz-mingw-w64-dev.
#
# The sources are fetched with apt-get source through a private apt configuration under
# build/windows-deps/apt, so the system's apt settings are never touched. Nothing here is committed.
# Run again, it does nothing while the stamp matches the pinned versions.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# Pinned to what the main archive serves: the security pool lists newer libpng sources than it
# hands out. If a pinned version is ever gone, the newest served one is taken and named.
pins=(
  "libpng1.6=1.6.39-2+deb12u5"
  "libjpeg-turbo=1:2.1.5-2"
  "giflib=5.2.1-2.5+deb12u1"
)

deps=$root/build/windows-deps
prefix=$deps/prefix
toolchain=$root/cmake/toolchain-mingw64.cmake
stamp_text="${pins[*]} googletest=$(dpkg-query -W -f='${Version}' libgtest-dev 2>/dev/null || echo none)"
if [ -f "$prefix/.stamp" ] && [ "$(cat "$prefix/.stamp")" = "$stamp_text" ]; then
  echo "windows deps: up to date in $prefix"
  exit 0
fi

jobs=${SB_JOBS:-$(nproc)}
rm -rf "$deps"
mkdir -p "$deps"/apt/{lists/partial,cache/archives/partial} "$deps/src" "$prefix"

cat >"$deps/apt/sources.list" <<'EOF'
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian bookworm-updates main
deb-src http://deb.debian.org/debian-security bookworm-security main
EOF
apt_opts=(
  -o "Dir::Etc::SourceList=$deps/apt/sources.list"
  -o "Dir::Etc::SourceParts=/dev/null"
  -o "Dir::State::Lists=$deps/apt/lists"
  -o "Dir::Cache=$deps/apt/cache"
  -o "Debug::NoLocking=1"
  -o "APT::Sandbox::User=root"
  -q
)
apt-get "${apt_opts[@]}" update >"$deps/apt/update.log"

fetch() {
  local pin=$1 name=${1%%=*}
  (cd "$deps/src" && apt-get "${apt_opts[@]}" source "$pin" >"$deps/apt/$name.log" 2>&1) && return
  echo "windows deps: $pin is not served; taking the newest $name" >&2
  (cd "$deps/src" && apt-get "${apt_opts[@]}" source "$name" >"$deps/apt/$name.log" 2>&1)
}
for pin in "${pins[@]}"; do fetch "$pin"; done
src_dir() { find "$deps/src" -maxdepth 1 -type d -name "$1-*" | head -n 1; }

cmake_cross() {
  local source=$1 build=$2
  shift 2
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DSB_WINDOWS_DEPS="$prefix" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_POSITION_INDEPENDENT_CODE=OFF -Wno-dev "$@" >"$build.log"
  cmake --build "$build" -j "$jobs" >>"$build.log"
  cmake --install "$build" >>"$build.log"
}

# libpng over the mingw sysroot's static zlib.
cmake_cross "$(src_dir libpng1.6)" "$deps/build-libpng" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON \
  -DSKIP_INSTALL_FILES=ON

# libjpeg-turbo without the assembler paths (no nasm needed) and without the TurboJPEG API.
cmake_cross "$(src_dir libjpeg-turbo)" "$deps/build-libjpeg" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF

# giflib ships a Makefile for Unix only: its library is eight C files, built here with CMake.
gif=$(src_dir giflib)
mkdir -p "$deps/giflib-cmake"
cat >"$deps/giflib-cmake/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.25)
project(giflib C)
add_library(gif STATIC $gif/dgif_lib.c $gif/egif_lib.c $gif/gifalloc.c $gif/gif_err.c
  $gif/gif_font.c $gif/gif_hash.c $gif/openbsd-reallocarray.c $gif/quantize.c)
install(TARGETS gif ARCHIVE DESTINATION lib)
install(FILES $gif/gif_lib.h DESTINATION include)
EOF
cmake_cross "$deps/giflib-cmake" "$deps/build-giflib"

cmake_cross /usr/src/googletest "$deps/build-googletest" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF

for pin in "${pins[@]}"; do
  name=${pin%%=*}
  dsc=$(find "$deps/src" -maxdepth 1 -name "${name}_*.dsc" | head -n 1)
  echo "$name $(grep -m1 '^Version:' "$dsc" | cut -d' ' -f2)"
done >"$prefix/SOURCE-VERSIONS"
echo "googletest $(dpkg-query -W -f='${Version}' libgtest-dev)" >>"$prefix/SOURCE-VERSIONS"
echo "$stamp_text" >"$prefix/.stamp"
echo "windows deps: built into $prefix"
cat "$prefix/SOURCE-VERSIONS"
