#!/usr/bin/env bash
# The command-line build: what it prints, what it writes and how it exits.
set -uo pipefail
tool=$1 fixtures=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 passes=0
check() {  # description, then a command that must succeed
  local what=$1; shift
  if "$@"; then echo "ok   $what"; passes=$((passes + 1)); else echo "FAIL $what"; failures=$((failures + 1)); fi
}

mkdir -p "$work/run" "$work/pics/a"
cp "$fixtures/photo.png" "$work/pics/a/p.png"
printf 'H\n' > "$work/run/pov_image_read_A.txt"
printf 'F' > "$work/run/pov_image_read_B.txt"

cd "$work/run"
out=$("$tool" ../pics 2> "$work/err"); code=$?
check "a folder given relatively is built and exits 0" test "$code" -eq 0
check "each image's relative path is printed" test "$out" = "a/p.png"
check "the scene file holds header, line and footer" \
  test "$(cat "$work/pics/image_scan.pov")" = "$(printf 'H\r\nadd_image ( "a/p.png", 64, 32 ) \r\nF\r')"
check "nothing on standard error when all is well" test ! -s "$work/err"

"$tool" "$work/missing/folder" > /dev/null 2> "$work/err"; code=$?
check "a folder that cannot take the scene exits non-zero" test "$code" -ne 0
check "and says why on standard error" grep -q "cannot write the scene file $work/missing/folder/image_scan.pov" "$work/err"

rm "$work/run/pov_image_read_A.txt" && mkdir "$work/run/pov_image_read_A.txt"
"$tool" "$work/pics" > /dev/null 2> "$work/err"; code=$?
check "an unreadable template still builds" test "$code" -eq 0
check "and is named on standard error" grep -q "pov_image_read_A.txt" "$work/err"
check "the scene then starts with the scan" \
  test "$(head -c 9 "$work/pics/image_scan.pov")" = "add_image"

"$tool" --help > "$work/out"; code=$?
check "--help prints usage and exits 0" test "$code" -eq 0 -a -s "$work/out"
"$tool" one two > /dev/null 2>&1; code=$?
check "two arguments are refused with 2" test "$code" -eq 2

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

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
