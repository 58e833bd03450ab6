#!/usr/bin/env bash
# The screenshot tool picks a folder below the home folder, presses process and saves the window as a PNG.
set -uo pipefail
tool=$1 fixtures=$2
source "$(dirname "${BASH_SOURCE[0]}")/../support/check.sh"

mkdir -p "$work/run" "$work/pics/sub"
: > "$work/run/pov_image_read_A.txt"
cp "$fixtures/photo.png" "$work/pics/sub/"
(cd "$work/run" && HOME=$work env -u DISPLAY -u WAYLAND_DISPLAY "$tool" ../pics "$work/shot.png"); code=$?
check "the tool exits 0" test "$code" -eq 0
check "after the press wrote the scene" grep -qF 'add_image ( "sub/photo.png", 64, 32 )' "$work/pics/image_scan.pov"
check "and saved a 600 x 600 picture" test "$(png_size "$work/shot.png")" = "600 600"
report
