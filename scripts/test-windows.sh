#!/usr/bin/env bash
# The Windows stage of the test command: cross-builds the libraries' tests with mingw-w64 and runs
# them under wine. One wineserver serves the whole run and is ended afterwards.
set -euo pipefail
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
cd "$(dirname "$0")/.."

jobs=${SB_JOBS:-$(nproc)}

# The tests run on a virtual X display of their own, the whole run on one: the wineserver, the
# prefix's desktop process and every test program then share it, and the window tests find the
# same display the desktop was made on. xvfb-run ends the display after the run.
if [ "${1:-}" != --on-display ]; then
  bash scripts/build-windows-deps.sh
  # The batch test compares the Windows program's scene with the Linux build's (the earlier stage).
  cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSB_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake -DSB_LINUX_SCENE_BUILDER="$PWD/build/ci/app/scene-builder"
  cmake --build build/windows -j "$jobs"
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$self" --on-display
fi

# A prefix of its own under build/, quiet, and the Western European code page (en-US) whatever
# the machine's locale says.
export WINEPREFIX=$PWD/build/windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8
unset LC_ALL LC_CTYPE
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
mkdir -p "$WINEPREFIX"
wineserver -k >/dev/null 2>&1 || true
wineserver -p
# The prefix's services start here with their output closed: started by the first test, they would
# keep CTest's output pipe open and CTest would wait for them for ever.
wineboot -i </dev/null >/dev/null 2>&1
ctest --test-dir build/windows --output-on-failure -j "$jobs" </dev/null
