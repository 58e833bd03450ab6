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

# A template found nowhere is named and nothing is made; names that would end the scene's string or
# line are escaped in it.
mkdir -p "$work/bare/names" && cd "$work/bare" || exit 1
for name in 'say "hi".png' 'back\slash.png' $'two\r\nlines.png' $'\n\\n.png'; do cp "$fixtures/photo.png" "names/$name"; done
check "templates found nowhere are named, the exit code kept" runs 0 "$(ls names)" 2 "no template pov_image_read_B.txt" -- names
check "and nothing is made in the current folder" test "$(ls)" = names
check "names that would end the string or the line are escaped" scene names \
  'add_image ( "\\n\\\\n.png", 64, 32 ) \r\nadd_image ( "back\\\\slash.png", 64, 32 ) \r\n'\
'add_image ( "say \\"hi\\".png", 64, 32 ) \r\nadd_image ( "two\\r\\nlines.png", 64, 32 ) \r\n'
cd "$work/run" || exit 1

rm "$work/run/pov_image_read_A.txt" && mkdir "$work/run/pov_image_read_A.txt"
check "an unreadable template is named, the scene built" runs 0 "a/p.png" 1 pov_image_read_A.txt -- ../pics
check "of the scan's line and the footer" scene "$work/pics" 'add_image ( "a/p.png", 64, 32 ) \r\nF\r\n'

# Installed, the program finds the gallery templates beside itself (a moved prefix too) when the
# current folder has none of its own.
mkdir -p "$work/prefix/bin" "$work/prefix/share/scene-builder" "$work/empty"
cp "$tool" "$work/prefix/bin/" && printf 'I\n' > "$work/prefix/share/scene-builder/pov_image_read_A.txt"
(cd "$work/empty" && "$work/prefix/bin/$(basename "$tool")" ../pics > /dev/null 2> "$work/err")
check "installed templates are used from an empty folder, and it stays empty" \
  test -z "$(ls -A "$work/empty")" -a "$(head -c 2 "$work/pics/image_scan.pov")" = $'I\r'
check "the one found nowhere is named" grep -q "pov_image_read_B.txt in the current folder or in $work/prefix/share/scene-builder/" "$work/err"

# Pipes, full disks and signals: the listing may stop, the scene is whole or untouched, never torn.
mkdir -p "$work/gallery" && cp "$work/run/pov_image_read_B.txt" "$work/gallery/" && cd "$work/gallery" || exit 1
printf 'H\n' > pov_image_read_A.txt
mkdir -p "$work/many" && for i in $(seq -w 400); do ln "$fixtures/photo.png" "$work/many/a-picture-with-a-long-name-$i.png"; done
leftovers() { compgen -G "$1/.image_scan.pov.*" > /dev/null; }
no_leftovers() { ! leftovers "$1"; }
"$tool" "$work/many" | head -1 > /dev/null
check "| head -1 still writes the whole scene and exits 0" test "${PIPESTATUS[0]}" -eq 0 -a "$(tail -c 3 "$work/many/image_scan.pov" | head -c 2)" = $'F\r'
check "and leaves no temporary file" no_leftovers "$work/many"
"$tool" "$work/many" > /dev/full 2> "$work/err"
check "> /dev/full exits 1 after the scene, naming the failed listing" \
  test $? -eq 1 -a -n "$(grep 'standard output: No space left on device' "$work/err")"
# Large plain pictures, hard-linked: a scan of seconds.
mkdir -p "$work/slow" && python3 -c '
import struct, sys, zlib
def chunk(kind, data): return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
rows = zlib.compress((b"\0" + b"\x80" * 12000) * 4000)
sys.stdout.buffer.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 4000, 4000, 8, 2, 0, 0, 0))
                        + chunk(b"IDAT", rows) + chunk(b"IEND", b""))' > "$work/slow/000.png"
for i in $(seq -w 1 299); do ln "$work/slow/000.png" "$work/slow/$i.png"; done
printf 'previous' > "$work/slow/image_scan.pov" && chmod 640 "$work/slow/image_scan.pov"
env --default-signal=INT "$tool" --jobs 1 "$work/slow" > "$work/out" 2> /dev/null &
pid=$!
await leftovers "$work/slow" && sleep 0.3 && kill -INT $pid
wait $pid
check "SIGINT mid-scan ends it with 130" test $? -eq 130 -a "$(wc -l < "$work/out")" -lt 300
check "keeping the previous scene and leaving no temporary file" \
  test "$(cat "$work/slow/image_scan.pov")" = previous -a -z "$(compgen -G "$work/slow/.image_scan.pov.*")"
find "$work/slow" -name '[0-9]*.png' ! -name 000.png -delete
check "a replaced scene keeps the permission bits" runs 0 "000.png" 0 "" -- "$work/slow"
check "...which are 640" test "$(stat -c %a "$work/slow/image_scan.pov")" = 640
chmod 444 "$work/slow/image_scan.pov" && cp "$work/slow/image_scan.pov" "$work/kept"
check "a read-only scene is refused at once, whoever runs it" runs 1 "" 1 "Permission denied" -- "$work/slow"
check "...and kept" cmp -s "$work/kept" "$work/slow/image_scan.pov"

# Bounded walks: links that fork and join, depth beyond the open-file limit, leftovers of killed runs.
mkdir -p "$work/fork/s"{1..25} && for i in {1..25}; do cp "$fixtures/photo.png" "$work/fork/s$i/p.png"; done
for i in {1..24}; do ln -s "../s$((i + 1))" "$work/fork/s$i/a" && ln -s "../s$((i + 1))" "$work/fork/s$i/b"; done
"$tool" "$work/fork" > "$work/out"
check "links that fork and join lead once to each folder: each direct, and once more through a link" \
  test "$(wc -l < "$work/out")" -eq 49 -a -n "$(grep -x 's1/a/a/p.png' "$work/out")"
deep=$work/deep$(printf '/d%.0s' {1..1500}) && mkdir -p "$deep" && cp "$fixtures/photo.png" "$deep/z.png"
check "a 1,500-deep tree lists its deepest image with 256 files open at most" \
  bash -c "ulimit -n 256 && '$tool' '$work/deep' | grep -q '/d/z.png$'"
(mkdir "$work/long" && cd "$work/long" && for _ in {1..20}; do mkdir "$(printf 'n%.0s' {1..240})" && cd n*; done)
check "a folder whose path is too long is named on standard error" \
  runs 0 "" 1 "File name too long; it is left out" -- "$work/long"
# Root reads every folder: the closed one is met as somebody else.
mkdir -p "$work/shut/closed" && chmod 777 "$work/shut" && chmod 000 "$work/shut/closed" && chmod 755 "$work"
[ "$(id -u)" -eq 0 ] && prefix=(setpriv --reuid=65534 --regid=65534 --clear-groups)
check "so is one that cannot be read" runs 0 "" 1 "closed/: Permission denied; it is left out" -- "$work/shut"
prefix=()
touch "$work/pics/.image_scan.pov.0123456789ab" "$work/pics/.image_scan.pov.0123456789abc"
check "a finished scan removes what killed runs left" runs 0 "a/p.png" 0 "" -- "$work/pics"
check "...and nothing else" test ! -e "$work/pics/.image_scan.pov.0123456789ab" -a -e "$work/pics/.image_scan.pov.0123456789abc"
held=$work/pics/.image_scan.pov.ba9876543210
exec 9> "$held" && flock 9
check "a scene another scan is writing is refused at the start" runs 1 "" 1 "Device or resource busy" -- "$work/pics"
check "...and its temporary file left alone" test -e "$held"
exec 9>&-
cd "$work/run" || exit 1

usage=$("$tool" --help)
check "--help shows the usage" grep -q "scene-builder \[--jobs N\] \[--\] FOLDER" <<< "$usage"
check "so does -h after a folder, on standard output only" runs 0 "$usage" 0 "" -- ../pics -h
check "--version prints the name and a version" grep -qxE 'scene-builder [0-9]+\.[0-9]+\.[0-9]+' <<< "$("$tool" --version a b)"
report
