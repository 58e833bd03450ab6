#!/usr/bin/env bash
# The command-line build: what it prints, what it writes and how it exits.
set -uo pipefail
tool=$1 fixtures=$2
work=$(mktemp -d)
trap 'umount "$work/full" 2> /dev/null; rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../support/check.sh"

mkdir -p "$work/run" "$work/pics/a"
cp "$fixtures/photo.png" "$work/pics/a/p.png"
printf 'H\n' > "$work/run/pov_image_read_A.txt"
printf 'F' > "$work/run/pov_image_read_B.txt"

cd "$work/run" || exit 1
out=$("$tool" ../pics 2> "$work/err"); code=$?
check "a folder given relatively is built and exits 0" test "$code" -eq 0
check "each image's relative path is printed" test "$out" = "a/p.png"
check "the scene file holds header, line and footer" \
  test "$(cat "$work/pics/image_scan.pov")" = "$(printf 'H\r\nadd_image ( "a/p.png", 64, 32 ) \r\nF\r')"
check "nothing on standard error when all is well" test ! -s "$work/err"

"$tool" "$work/missing/folder" > /dev/null 2> "$work/err"; code=$?
check "a folder that cannot take the scene exits non-zero" test "$code" -ne 0
check "and says why on standard error" grep -q "cannot write the scene file $work/missing/folder/image_scan.pov" "$work/err"

# The kernel resolves a folder argument: link/.. is the folder above the link's target.
mkdir -p "$work/real/parent/child"
cp "$fixtures/photo.png" "$work/real/parent/q.png"
ln -s "$work/real/parent/child" "$work/run/link"
out=$("$tool" link/.. 2> "$work/err"); code=$?
check "link/.. scans the folder above the link's target" test "$code" -eq 0 -a "$out" = "q.png"
check "and writes its scene there" test -s "$work/real/parent/image_scan.pov" -a ! -e "$work/run/image_scan.pov"
rm "$work/run/link"

# Links into the kernel's own file systems are not walked: the scan ends, with the one picture.
mkdir -p "$work/kernel"
cp "$fixtures/photo.png" "$work/kernel/p.png"
for target in /proc /sys /dev; do ln -s "$target" "$work/kernel/${target#/}"; done
out=$(timeout 20 "$tool" "$work/kernel" 2> "$work/err"); code=$?
check "links to /proc, /sys and /dev are not walked into" test "$code" -eq 0 -a "$out" = "p.png"

# A full file system: the previous scene stays byte for byte and the failure is told.
full="$work/full"
mkdir -p "$full"
if mount -t tmpfs -o size=64k tmpfs "$full" 2> /dev/null; then
  cp "$fixtures/photo.png" "$full/p.png"
  printf 'the previous scene\r\n' > "$full/image_scan.pov"
  head -c 200000 /dev/zero | tr '\0' 'h' > "$work/run/pov_image_read_A.txt"
  "$tool" "$full" > /dev/null 2> "$work/err"; code=$?
  check "a full file system exits 1" test "$code" -eq 1
  check "and names the error" grep -q "cannot write the scene file $full/image_scan.pov: No space left on device" "$work/err"
  check "the previous scene is kept byte for byte" test "$(od -c "$full/image_scan.pov")" = "$(printf 'the previous scene\r\n' | od -c)"
  check "and no temporary file is left" test "$(ls -A "$full" | tr '\n' ' ')" = "image_scan.pov p.png "
  umount "$full"
  printf 'H\n' > "$work/run/pov_image_read_A.txt"
else
  echo "skip a full file system: this machine does not let the test mount a tmpfs"
fi

rm "$work/run/pov_image_read_A.txt" && mkdir "$work/run/pov_image_read_A.txt"
"$tool" "$work/pics" > /dev/null 2> "$work/err"; code=$?
check "an unreadable template still builds" test "$code" -eq 0
check "and is named on standard error" grep -q "pov_image_read_A.txt" "$work/err"
check "the scene then starts with the scan" \
  test "$(head -c 9 "$work/pics/image_scan.pov")" = "add_image"

"$tool" --help > "$work/out" 2> "$work/err"; code=$?
check "--help exits 0 and prints on standard output only" test "$code" -eq 0 -a ! -s "$work/err"
check "--help shows both modes" grep -q "scene-builder \[--jobs N\] \[--\] FOLDER" "$work/out"
check "--help names the exit codes" grep -q "^  2  a usage error" "$work/out"
check "--help names SCENE_BUILDER_JOBS" grep -q "SCENE_BUILDER_JOBS" "$work/out"
out=$("$tool" --version); code=$?
check "--version prints the name and a version" test "$code" -eq 0 -a -n "$(grep -E '^scene-builder [0-9]+\.[0-9]+\.[0-9]+$' <<< "$out")"

# a folder whose name looks like an option, given after --
mkdir -p "$work/run/-x/d" && cp "$fixtures/photo.png" "$work/run/-x/d/q.png"
out=$("$tool" -- -x 2> "$work/err"); code=$?
check "-- lets a folder named -x be built" test "$code" -eq 0 -a "$out" = "d/q.png" -a -f "$work/run/-x/image_scan.pov"
out=$("$tool" --jobs 2 -- -x); code=$?
check "--jobs N before -- builds the same folder" test "$code" -eq 0 -a "$out" = "d/q.png"
out=$("$tool" --jobs=1 ../pics); code=$?
check "--jobs=N builds" test "$code" -eq 0 -a "$out" = "a/p.png"

# usage errors: exit 2, one line naming the problem, nothing built
rm -f "$work/run/-x/image_scan.pov"
refused() {  # expected text on standard error, then the arguments
  local expected=$1; shift
  "$tool" "$@" > "$work/out" 2> "$work/err"; local code=$?
  [ "$code" -eq 2 ] && [ ! -s "$work/out" ] && grep -qF -- "$expected" "$work/err" && [ ! -e "$work/run/-x/image_scan.pov" ]
}
check "an unknown option is refused with 2" refused "unknown option '-x'" -x
check "an unknown long option is refused with 2" refused "unknown option '--bogus'" --bogus ../pics
check "two folders are refused with 2" refused "give one folder" one two
check "--jobs 0 is refused with 2" refused "--jobs needs a whole number" --jobs 0 -- -x
check "--jobs=-3 is refused with 2" refused "not '-3'" --jobs=-3 -- -x
check "--jobs abc is refused with 2" refused "not 'abc'" --jobs abc -- -x
check "--jobs without its number is refused with 2" refused "--jobs needs a number" --jobs
check "--jobs without a folder is refused with 2" refused "give the folder too" --jobs 2

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tool" > /dev/null 2> "$work/err"; code=$?
check "without a display the window is refused with 1" test "$code" -eq 1
check "and the reason is given" grep -q "no display" "$work/err"

# A display that is named but cannot be used: one line naming it, exit 1, never an abort.
lines() { wc -l < "$1"; }
free=99
while [ -e "/tmp/.X11-unix/X$free" ] || [ -e "/tmp/.X$free-lock" ]; do free=$((free + 1)); done
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE DISPLAY=":$free" "$tool" > /dev/null 2> "$work/err"; code=$?
check "an X display that cannot be reached is refused with 1" test "$code" -eq 1
check "in one line on standard error" test "$(lines "$work/err")" -eq 1
check "that names the display" grep -q "\":$free\"" "$work/err"

env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE QT_QPA_PLATFORM=bogus "$tool" > /dev/null 2> "$work/err"; code=$?
check "an unknown platform is refused with 1" test "$code" -eq 1
check "in one line on standard error" test "$(lines "$work/err")" -eq 1
check "that names the platform" grep -q '"bogus"' "$work/err"

env -u DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE WAYLAND_DISPLAY=nowhere "$tool" > /dev/null 2> "$work/err"; code=$?
check "a Wayland display that cannot be used is refused with 1" test "$code" -eq 1
check "in one line on standard error" test "$(lines "$work/err")" -eq 1
check "that names the display" grep -q '"nowhere"' "$work/err"

report
