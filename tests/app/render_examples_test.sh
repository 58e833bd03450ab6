#!/usr/bin/env bash
# Builds a scene with the example templates over a small gallery and renders it with POV-Ray:
# the templates' add_image macro must accept every line the tool writes.
set -euo pipefail
tool=$1 examples=$2 fixtures=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/run" "$work/gallery/sub folder"
cp "$examples/pov_image_read_A.txt" "$examples/pov_image_read_B.txt" "$work/run/"
cp "$fixtures/photo.png" "$work/gallery/"
cp "$fixtures/pic.jpg" "$work/gallery/sub folder/"
cp "$fixtures/anim.gif" "$work/gallery/sub folder/Wide.GIF"

(cd "$work/run" && "$tool" ../gallery) > "$work/listed.txt"
[ "$(wc -l < "$work/listed.txt")" -eq 3 ] || { echo "expected 3 images, got:"; cat "$work/listed.txt"; exit 1; }

cd "$work/gallery"
HOME="$work" povray +Iimage_scan.pov +Orender.png +W160 +H120 -D +FN > "$work/povray.log" 2>&1 || {
  echo "POV-Ray failed:"; tail -20 "$work/povray.log"; exit 1; }
# a PNG of the requested size
head -c 8 render.png | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a' || { echo "no PNG written"; exit 1; }
[ "$(od -An -tu1 -j16 -N8 render.png | tr -s ' ' | sed 's/^ //')" = "0 0 0 160 0 0 0 120" ] || { echo "wrong size"; exit 1; }
echo "rendered $(wc -l < "$work/listed.txt") images"
