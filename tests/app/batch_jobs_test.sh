#!/usr/bin/env bash
# The command line's measuring threads: --jobs N and SCENE_BUILDER_JOBS give the one-thread scan's
# output at every count, and a count that is not a positive number is refused.
set -uo pipefail
tool=$1 fixtures=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../support/check.sh"

mkdir -p "$work/run" "$work/pics"
for i in $(seq 1 12); do
  for f in photo.png pic.jpg anim.gif radiance.hdr bitmap.bmp icon.ico; do
    mkdir -p "$work/pics/d$((i % 4))"
    cp "$fixtures/$f" "$work/pics/d$((i % 4))/$i-$f.png"
  done
done
: > "$work/run/pov_image_read_A.txt"
: > "$work/run/pov_image_read_B.txt"
cd "$work/run"

"$tool" --jobs 1 "$work/pics" > "$work/list1"; code=$?
cp "$work/pics/image_scan.pov" "$work/scene1"
check "--jobs 1 builds and exits 0" test "$code" -eq 0
check "and lists all 72 pictures" test "$(wc -l < "$work/list1")" -eq 72
for jobs in 2 8; do
  "$tool" --jobs "$jobs" "$work/pics" > "$work/list"
  check "--jobs $jobs lists in the same order" cmp -s "$work/list" "$work/list1"
  check "--jobs $jobs writes the same scene bytes" cmp -s "$work/pics/image_scan.pov" "$work/scene1"
done
SCENE_BUILDER_JOBS=3 "$tool" "$work/pics" > "$work/list"
check "SCENE_BUILDER_JOBS=3 writes the same scene bytes" cmp -s "$work/pics/image_scan.pov" "$work/scene1"
for bad in 0 -1 x 2x; do
  "$tool" --jobs "$bad" "$work/pics" > /dev/null 2>&1; code=$?
  check "--jobs $bad is refused with 2" test "$code" -eq 2
done

report
