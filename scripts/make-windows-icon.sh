#!/usr/bin/env bash
# Makes packaging/windows/scene-builder.ico from packaging/scene-builder.svg: the drawing rendered
# afresh at each size Windows asks for (16, 24, 32, 48 and 256 pixels), not scaled down from one
# large picture, so the small sizes stay sharp. The icon is committed; run this after changing the
# drawing.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
frames=()
for size in 16 24 32 48 256; do
  rsvg-convert -w "$size" -h "$size" -o "$work/$size.png" packaging/scene-builder.svg
  frames+=("$work/$size.png")
done
# ImageMagick keeps the 256-pixel frame PNG-compressed, as Windows expects; the rest as bitmaps.
convert "${frames[@]}" packaging/windows/scene-builder.ico
identify packaging/windows/scene-builder.ico
