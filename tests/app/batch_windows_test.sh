#!/usr/bin/env bash
# The Windows program's command-line build under wine: drive-letter paths with either separator, the
# scene bytes against the Linux program's for the same tree, and the ANSI code page.
set -uo pipefail
wine=$1 tool=$2 linux_tool=$3 fixtures=$4
if [ ! -x "$linux_tool" ]; then
  echo "no Linux build at '$linux_tool' to compare with"
  exit 77
fi
source "$(dirname "${BASH_SOURCE[0]}")/../support/check.sh"

win() { "$wine" "$tool" "$@" 2> "$work/err" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
windows_path() { winepath -w "$1" 2> /dev/null; }

# Names both systems allow, in folders two deep, and every kind of picture the scan meets.
tree=$work/tree
mkdir -p "$tree/sub/deeper" "$tree/A b (1)"
for copy in photo.png:photo.png pic.jpg:sub/Pic.JPG anim.gif:sub/deeper/anim.gif bitmap.bmp:"A b (1)/bitmap.png" \
  radiance.hdr:sub/sky.hdr; do cp "$fixtures/${copy%%:*}" "$tree/${copy#*:}"; done
printf 'not a picture' > "$tree/sub/deeper/broken.gif"
printf '// head\n#include "colors.inc"\n' > "$work/pov_image_read_A.txt"
printf '// foot' > "$work/pov_image_read_B.txt"

cd "$work" || exit 1
"$linux_tool" "$tree" > /dev/null 2>&1
# The Linux scene with each separator of a relative path written as an escaped backslash.
sed '/^add_image/ s#/#\\\\#g' "$tree/image_scan.pov" > "$work/expected.pov"

built() {
  rm -f "$tree/image_scan.pov"
  win "$@" > "$work/out" && test ! -s "$work/err" && cmp -s "$tree/image_scan.pov" "$work/expected.pov"
}
check "a drive-letter folder gives the Linux scene with escaped backslash separators" built "$(windows_path "$tree")"
check "relative paths are printed with backslashes" grep -qx 'sub\\deeper\\anim.gif' "$work/out"
check "so do forward slashes, with --jobs 2" built "$(windows_path "$tree" | tr '\\' '/')" --jobs 2
check "and a relative folder with .. resolved against the current folder" built 'tree\sub\..'

# Scene lines are in the ANSI code page (CP1252 here): e acute as one byte, what it lacks as "?".
mkdir -p "$work/ansi"
cp "$fixtures/photo.png" "$work/ansi/caf$(printf '\xc3\xa9').png"
cp "$fixtures/photo.png" "$work/ansi/$(printf '\xe4\xb8\xad').png"
out=$(win "$(windows_path "$work/ansi")")
check "names outside ASCII are listed in full" test "$out" = "$(printf 'caf\xc3\xa9.png\n\xe4\xb8\xad.png')"
check "and written in the ANSI code page" \
  test "$(tr -d '\r' < "$work/ansi/image_scan.pov" | od -An -c | tr -s ' ')" = \
       "$(printf '// head\n#include "colors.inc"\nadd_image ( "caf\xe9.png", 64, 32 ) \nadd_image ( "?.png", 64, 32 ) \n// foot\n' | od -An -c | tr -s ' ')"

# The read-only attribute refuses the scene even where the system would let the program write it
# (an administrator, or wine run as root).
cp "$tree/image_scan.pov" "$work/kept" && "$wine" attrib +r "$(windows_path "$tree/image_scan.pov")" 2> /dev/null
win "$(windows_path "$tree")" > /dev/null
check "a read-only scene is refused at once and kept" \
  test $? -eq 1 -a -n "$(grep 'image_scan.pov: Permission denied' "$work/err")"
check "...byte for byte" cmp -s "$work/kept" "$tree/image_scan.pov"
"$wine" attrib -r "$(windows_path "$tree/image_scan.pov")" 2> /dev/null

win "$(windows_path "$work")\\missing\\folder" > /dev/null; code=$?
check "a folder that cannot take the scene exits 1 and is named" \
  test "$code" -eq 1 -a -n "$(grep 'cannot write the scene file .*missing\\folder\\image_scan.pov' "$work/err")"
report
