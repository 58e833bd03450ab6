#!/usr/bin/env bash
# The command line's measuring threads: --jobs N and SCENE_BUILDER_JOBS give the one-thread scan's
# output at every count.
set -uo pipefail
tool=$1 fixtures=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../support/check.sh"

mkdir -p "$work/run" "$work/pics"/d{0,1,2,3}
for i in $(seq 1 12); do
  for f in photo.png pic.jpg anim.gif radiance.hdr bitmap.bmp icon.ico; do cp "$fixtures/$f" "$work/pics/d$((i % 4))/$i-$f.png"; done
done
: > "$work/run/pov_image_read_A.txt"
: > "$work/run/pov_image_read_B.txt"
cd "$work/run" || exit 1

"$tool" --jobs 1 "$work/pics" > "$work/list1"; code=$?
cp "$work/pics/image_scan.pov" "$work/scene1"
check "--jobs 1 builds, lists all 72 pictures and writes their lines" \
  test "$code" -eq 0 -a "$(wc -l < "$work/list1")" -eq 72 -a "$(grep -c add_image "$work/scene1")" -eq 72
same() { cmp -s "$work/list" "$work/list1" && cmp -s "$work/pics/image_scan.pov" "$work/scene1"; }
for run in "--jobs 2" "--jobs=8" "SCENE_BUILDER_JOBS=3"; do
  rm "$work/pics/image_scan.pov"
  # shellcheck disable=SC2086  # the setting is split as written
  case $run in SCENE*) env $run "$tool" "$work/pics" ;; *) "$tool" $run "$work/pics" ;; esac > "$work/list"
  check "$run lists in the same order and writes the same scene bytes" same
done

report
