#!/usr/bin/env bash
# The command-line build: what it prints, what it writes and how it exits.
set -uo pipefail
tool=$1 fixtures=$2
source "$(dirname "${BASH_SOURCE[0]}")/../support/check.sh"

mkdir -p "$work/run/-x/d" "$work/pics/a" "$work/real/parent/child" "$work/kernel" "$work/order" "$work/held/image_scan.pov"
for copy in pics/a/p.png real/parent/q.png kernel/p.png run/-x/d/q.png held/p.png; do cp "$fixtures/photo.png" "$work/$copy"; done
for target in /proc /sys /dev; do ln -s "$target" "$work/kernel/${target#/}"; done
ln -s "$work/real/parent/child" "$work/run/link"
ln -s "$work/pics" "$work/pics/a/back"
printf 'do not touch' > "$work/precious" && ln -s "$work/precious" "$work/pics/image_scan.pov"
for name in a B _ $'\xc3\xa9' $'\x80'; do : > "$work/order/$name.png"; done
printf 'H\n' > "$work/run/pov_image_read_A.txt"
printf 'F' > "$work/run/pov_image_read_B.txt"
cd "$work/run" || exit 1

# Runs the tool and checks its exit code, what it prints on standard output and its line count on
# standard error, which must hold `told` when that is given.
prefix=()  # what the tool runs under
runs() {  # code, output, error lines, told, then -- and the arguments
  local code=$1 out=$2 lines=$3 told=$4; shift 5
  local got; got=$("${prefix[@]}" timeout 20 "$tool" "$@" < /dev/null 2> "$work/err")
  [ $? -eq "$code" ] && [ "$got" = "$out" ] && [ "$(wc -l < "$work/err")" -eq "$lines" ] &&
    { [ -z "$told" ] || grep -qF -- "$told" "$work/err"; }
}
scene() { test "$(od -c "$1/image_scan.pov")" = "$(printf '%b' "$2" | od -c)"; }
check "a folder given relatively is built, its paths printed, a link back up ends" runs 0 "a/p.png" 0 "" -- ../pics
check "the scene file holds header, line and footer" scene "$work/pics" 'H\r\nadd_image ( "a/p.png", 64, 32 ) \r\nF\r\n'
check "and replaced the link named like it, never writing through it" test "$(cat "$work/precious")" = "do not touch"
check "entries come in name order, bytes that are not UTF-8 last" \
  runs 0 "$(printf 'a.png\nB.png\n_.png\n\xc3\xa9.png\n\x80.png')" 0 "" -- "$work/order"
# The kernel resolves a folder argument: link/.. is the folder above the link's target.
check "link/.. builds the folder above the link's target" runs 0 "q.png" 0 "" -- link/..
check "and writes its scene there" test -s "$work/real/parent/image_scan.pov" -a ! -e "$work/run/image_scan.pov"
check "links to /proc, /sys and /dev are not walked into" runs 0 "p.png" 0 "" -- "$work/kernel"
check "a folder that cannot take the scene exits 1 and says why" \
  runs 1 "" 1 "cannot write the scene file $work/missing/folder/image_scan.pov" -- "$work/missing/folder"
check "so does a folder standing where the scene goes" runs 1 "p.png" 1 "image_scan.pov: Is a directory" -- "$work/held"

# Command lines: the exit code, standard output, the lines on standard error and a piece of them. A
# usage error is one line naming it and one pointing to --help, and builds nothing.
while IFS='|' read -r code out lines told args; do
  # shellcheck disable=SC2086  # the arguments are split as written
  check "'$args' exits $code" runs "$code" "$out" "$lines" "$told" -- $args
done << 'TABLE'
0|a/p.png|0||--jobs=1024 -- ../pics
0|a/p.png|0||../pics --jobs 4
2||2|unknown option '-x'|-x --help
2||2|give one folder|one two
2||2|one folder, not 2|-- a -b
2||2|give the folder too|--jobs 2
2||2|followed by a folder|--
2||2|--jobs needs a number|--jobs
2||2|--jobs needs a whole number from 1 to 1024, not '0'|--jobs 0 -- -x
2||2|not ''|--jobs= ../pics
2||2|not '+2'|--jobs +2 ../pics
2||2|not '1025'|--jobs 1025 ../pics
TABLE
check "and nothing was built" test ! -e "$work/run/-x/image_scan.pov"
check "--jobs N and -- build a folder named -x" runs 0 "d/q.png" 0 "" -- --jobs 2 -- -x

# The window refused: no display, or one named that cannot be used; one line naming it, never an abort.
prefix=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE)
check "the window without a display is refused with 1" runs 1 "" 1 "no display" --
prefix+=(QT_QPA_PLATFORM=bogus)
check "and with a platform that cannot be used" runs 1 "" 1 '"bogus"' --
prefix=()

# Missing templates are made empty; names that would end the scene's string or line are escaped in it.
mkdir -p "$work/bare/names" && cd "$work/bare" || exit 1
for name in 'say "hi".png' 'back\slash.png' $'two\r\nlines.png' $'\n\\n.png'; do cp "$fixtures/photo.png" "names/$name"; done
"$tool" names > /dev/null 2>&1
check "missing templates are made, empty" test -f pov_image_read_A.txt -a -f pov_image_read_B.txt -a ! -s pov_image_read_A.txt
check "names that would end the string or the line are escaped" scene names \
  'add_image ( "\\n\\\\n.png", 64, 32 ) \r\nadd_image ( "back\\\\slash.png", 64, 32 ) \r\n'\
'add_image ( "say \\"hi\\".png", 64, 32 ) \r\nadd_image ( "two\\r\\nlines.png", 64, 32 ) \r\n'
cd "$work/run" || exit 1

rm "$work/run/pov_image_read_A.txt" && mkdir "$work/run/pov_image_read_A.txt"
check "an unreadable template is named, the scene built" runs 0 "a/p.png" 1 pov_image_read_A.txt -- ../pics
check "of the scan's line and the footer" scene "$work/pics" 'add_image ( "a/p.png", 64, 32 ) \r\nF\r\n'

usage=$("$tool" --help)
check "--help shows the usage" grep -q "scene-builder \[--jobs N\] \[--\] FOLDER" <<< "$usage"
check "so does -h after a folder, on standard output only" runs 0 "$usage" 0 "" -- ../pics -h
check "--version prints the name and a version" grep -qxE 'scene-builder [0-9]+\.[0-9]+\.[0-9]+' <<< "$("$tool" --version a b)"
report
