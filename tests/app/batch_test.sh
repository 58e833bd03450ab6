#!/usr/bin/env bash
# The command-line build: what it prints, what it writes and how it exits.
set -uo pipefail
tool=$1 fixtures=$2
work=$(mktemp -d)
trap 'umount "$work/full" 2> /dev/null; rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../support/check.sh"

mkdir -p "$work/run" "$work/pics/a" "$work/real/parent/child" "$work/kernel" "$work/run/-x/d" "$work/full"
cp "$fixtures/photo.png" "$work/pics/a/p.png"
cp "$fixtures/photo.png" "$work/real/parent/q.png"
cp "$fixtures/photo.png" "$work/kernel/p.png"
cp "$fixtures/photo.png" "$work/run/-x/d/q.png"
for target in /proc /sys /dev; do ln -s "$target" "$work/kernel/${target#/}"; done
ln -s "$work/real/parent/child" "$work/run/link"
printf 'H\n' > "$work/run/pov_image_read_A.txt"
printf 'F' > "$work/run/pov_image_read_B.txt"
cd "$work/run" || exit 1

# Runs the tool with the arguments after --, and checks exit code, standard output and that standard
# error is empty ("" for both means: nothing).
builds() {  # code, output, then -- and the arguments
  local code=$1 out=$2; shift 3
  local got; got=$(timeout 20 "$tool" "$@" 2> "$work/err")
  [ $? -eq "$code" ] && [ "$got" = "$out" ] && [ ! -s "$work/err" ]
}
check "a folder given relatively is built, its paths printed" builds 0 "a/p.png" -- ../pics
check "the scene file holds header, line and footer" \
  test "$(cat "$work/pics/image_scan.pov")" = "$(printf 'H\r\nadd_image ( "a/p.png", 64, 32 ) \r\nF\r')"
# The kernel resolves a folder argument: link/.. is the folder above the link's target.
check "link/.. scans the folder above the link's target" builds 0 "q.png" -- link/..
check "and writes its scene there" test -s "$work/real/parent/image_scan.pov" -a ! -e "$work/run/image_scan.pov"
check "links to /proc, /sys and /dev are not walked into" builds 0 "p.png" -- "$work/kernel"
check "-- lets a folder named -x be built" builds 0 "d/q.png" -- -- -x
check "and its scene is written there" test -f "$work/run/-x/image_scan.pov"
check "--jobs N before -- builds the same folder" builds 0 "d/q.png" -- --jobs 2 -- -x
check "--jobs=N builds" builds 0 "a/p.png" -- --jobs=1 ../pics

# Failures told on standard error: exit code, the lines told, a piece of them, then the arguments. A
# usage error prints nothing on standard output.
prefix=()  # what the tool runs under
fails() {
  local code=$1 lines=$2 expected=$3; shift 3
  "${prefix[@]}" "$tool" "$@" < /dev/null > "$work/out" 2> "$work/err"
  [ $? -eq "$code" ] && [ "$(wc -l < "$work/err")" -eq "$lines" ] && grep -qF -- "$expected" "$work/err" &&
    { [ "$code" -ne 2 ] || [ ! -s "$work/out" ]; }
}
check "a folder that cannot take the scene exits 1 and says why" \
  fails 1 1 "cannot write the scene file $work/missing/folder/image_scan.pov" "$work/missing/folder"

# usage errors (each one's message is command_line_test's): exit 2, a line naming the problem and
# one pointing to --help, nothing built
rm -f "$work/run/-x/image_scan.pov"
while IFS='|' read -r expected args; do
  # shellcheck disable=SC2086  # the arguments are split as written
  check "'$args' is refused with 2" fails 2 2 "$expected" $args
done << 'TABLE'
unknown option '-x'|-x
give one folder|one two
--jobs needs a whole number|--jobs 0 -- -x
give the folder too|--jobs 2
TABLE
check "and nothing was built" test ! -e "$work/run/-x/image_scan.pov"

# The window refused: no display, or one named that cannot be used; one line naming it, never an abort.
free=99
while [ -e "/tmp/.X11-unix/X$free" ] || [ -e "/tmp/.X$free-lock" ]; do free=$((free + 1)); done
while IFS='|' read -r what expected setting; do
  # shellcheck disable=SC2206  # the setting is split as written
  prefix=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE $setting)
  check "$what is refused with 1" fails 1 1 "$expected"
done << TABLE
no display|no display|
an X display that cannot be reached|":$free"|DISPLAY=:$free
an unknown platform|"bogus"|QT_QPA_PLATFORM=bogus
a Wayland display that cannot be used|"nowhere"|WAYLAND_DISPLAY=nowhere
TABLE
prefix=()

# A full file system: the previous scene stays byte for byte and the failure is told.
full="$work/full"
if mount -t tmpfs -o size=64k tmpfs "$full" 2> /dev/null; then
  cp "$fixtures/photo.png" "$full/p.png"
  printf 'the previous scene\r\n' > "$full/image_scan.pov"
  head -c 200000 /dev/zero | tr '\0' 'h' > "$work/run/pov_image_read_A.txt"
  check "a full file system exits 1 and names the error" \
    fails 1 1 "cannot write the scene file $full/image_scan.pov: No space left on device" "$full"
  check "the previous scene is kept byte for byte" test "$(od -c "$full/image_scan.pov")" = "$(printf 'the previous scene\r\n' | od -c)"
  check "and no temporary file is left" test "$(ls -A "$full" | tr '\n' ' ')" = "image_scan.pov p.png "
  umount "$full"
else
  echo "skip a full file system: this machine does not let the test mount a tmpfs"
fi

rm "$work/run/pov_image_read_A.txt" && mkdir "$work/run/pov_image_read_A.txt"
"$tool" "$work/pics" > /dev/null 2> "$work/err"; code=$?
check "an unreadable template still builds, named on standard error" \
  test "$code" -eq 0 -a -n "$(grep pov_image_read_A.txt "$work/err")"
check "and the scene is the scan's line and the footer" \
  test "$(cat "$work/pics/image_scan.pov")" = "$(printf 'add_image ( "a/p.png", 64, 32 ) \r\nF\r')"

"$tool" --help > "$work/out" 2> "$work/err"; code=$?
check "--help exits 0 and prints on standard output only" test "$code" -eq 0 -a ! -s "$work/err"
for part in "scene-builder \[--jobs N\] \[--\] FOLDER" "^  2  a usage error" "SCENE_BUILDER_JOBS"; do
  check "--help shows '$part'" grep -q "$part" "$work/out"
done
out=$("$tool" --version); code=$?
check "--version prints the name and a version" test "$code" -eq 0 -a -n "$(grep -E '^scene-builder [0-9]+\.[0-9]+\.[0-9]+$' <<< "$out")"

report
