#!/usr/bin/env bash
# The screenshot tool picks a folder, presses process and saves the whole window as a PNG.
set -euo pipefail
tool=$1 fixtures=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/run" "$work/pics/sub"
printf 'H\n' > "$work/run/pov_image_read_A.txt"
printf 'F\n' > "$work/run/pov_image_read_B.txt"
cp "$fixtures/photo.png" "$work/pics/sub/"
(cd "$work/run" && env -u DISPLAY -u WAYLAND_DISPLAY "$tool" ../pics "$work/shot.png")

expected=$(printf 'H\r\nadd_image ( "sub/photo.png", 64, 32 ) \r\nF\r')
[ "$(cat "$work/pics/image_scan.pov")" = "$expected" ] || { echo "the press wrote:"; cat -A "$work/pics/image_scan.pov"; exit 1; }
head -c 8 "$work/shot.png" | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a' || { echo "no PNG written"; exit 1; }
size=$(od -An -tu1 -j16 -N8 "$work/shot.png" | tr -s ' ' | sed 's/^ //')
[ "$size" = "0 0 2 88 0 0 2 88" ] || { echo "expected 600 x 600, got the bytes $size"; exit 1; }
echo "window saved after the press"
