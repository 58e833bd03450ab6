#!/usr/bin/env bash
# Packs the build folder into the Debian package, unpacks it as dpkg would and uses what it holds:
# the file list, the control fields, the desktop entry, the manual, and a scene built by the unpacked
# program in the unpacked template folder, rendered by POV-Ray.
set -uo pipefail
config=$1 version=$2 examples=$3 fixtures=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../support/check.sh"

cpack -G DEB --config "$config" -B "$work/out" > "$work/cpack.log" 2>&1 || {
  echo "cpack failed:"; cat "$work/cpack.log"; exit 1; }
deb="$work/out/scene-builder_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "no $deb; cpack made:"; ls "$work/out"; exit 1; }
field() { dpkg-deb -f "$deb" "$1"; }

check "the package is named scene-builder" test "$(field Package)" = scene-builder
check "its version is the project's" test "$(field Version)" = "$version"
check "its section is graphics" test "$(field Section)" = graphics
check "POV-Ray is suggested" test "$(field Suggests)" = povray
check "a maintainer is named" grep -q '<.*@.*>' <<< "$(field Maintainer)"
check "a summary and a longer description" test "$(field Description | wc -l)" -gt 2
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for library in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 libpng16-16 libjpeg62-turbo libgif7; do
  check "the binary's library $library is a dependency" grep -Fxq "$library" <<< "$depends"
done
# a simulated install: every dependency is met by what this machine has installed
check "apt would install the package" grep -q "^Inst scene-builder ($version" \
  <<< "$(apt-get install -s -o Debug::NoLocking=1 "$deb" 2>&1)"

root="$work/root"
dpkg-deb -x "$deb" "$root"
expected="./usr/bin/scene-builder
./usr/share/applications/scene-builder.desktop
./usr/share/icons/hicolor/scalable/apps/scene-builder.svg
./usr/share/man/man1/scene-builder.1.gz
./usr/share/scene-builder/pov_image_read_A.txt
./usr/share/scene-builder/pov_image_read_B.txt"
check "the package holds exactly the installed files" test "$(cd "$root" && find . ! -type d | sort)" = "$expected"
check "the program is executable" test -x "$root/usr/bin/scene-builder"
check "the templates are the examples" cmp -s "$root/usr/share/scene-builder/pov_image_read_A.txt" "$examples/pov_image_read_A.txt"

entry="$root/usr/share/applications/scene-builder.desktop"
check "the desktop entry is valid" desktop-file-validate "$entry"
value() { sed -n "s/^$1=//p" "$entry"; }
check "the desktop entry starts in the template folder" test "$(value Path)" = /usr/share/scene-builder
check "the desktop entry's command is the installed program" test -x "$root/usr/bin/$(value Exec)"
check "the desktop entry's icon is the installed one" \
  test -f "$root/usr/share/icons/hicolor/scalable/apps/$(value Icon).svg"
check "the desktop entry is in Graphics and 3DGraphics" test "$(value Categories)" = "Graphics;3DGraphics;"
check "the icon is an SVG drawing" grep -q '<svg xmlns="http://www.w3.org/2000/svg"' \
  "$root/usr/share/icons/hicolor/scalable/apps/scene-builder.svg"

manual="$root/usr/share/man/man1/scene-builder.1.gz"
check "the manual formats without warnings" test -z "$(man --warnings -l "$manual" 2>&1 > "$work/manual.txt")"
for heading in SYNOPSIS "USING THE WINDOW" "WITHOUT A WINDOW" "EXIT STATUS" ENVIRONMENT FILES; do
  check "the manual has $heading" grep -q "^$heading" "$work/manual.txt"
done
check "the manual names the installed template folder" grep -q "/usr/share/scene-builder" "$work/manual.txt"
check "the manual names SCENE_BUILDER_JOBS" grep -q "SCENE_BUILDER_JOBS" "$work/manual.txt"

mkdir -p "$work/pics/sub"
cp "$fixtures/photo.png" "$work/pics/"
cp "$fixtures/pic.jpg" "$fixtures/anim.gif" "$work/pics/sub/"
tool="$root/usr/bin/scene-builder"
check "the unpacked program prints its version" test "$("$tool" --version)" = "scene-builder $version"
(cd "$root/usr/share/scene-builder" && "$tool" "$work/pics") > "$work/listed" 2> "$work/err"; code=$?
check "the unpacked program builds a scene from the template folder" test "$code" -eq 0
check "and lists every image" test "$(cat "$work/listed")" = "$(printf 'photo.png\nsub/anim.gif\nsub/pic.jpg')"
check "and says nothing on standard error" test ! -s "$work/err"
check "the template folder is left as installed" test "$(ls "$root/usr/share/scene-builder")" = \
  "$(printf 'pov_image_read_A.txt\npov_image_read_B.txt')"
# As installed, the templates belong to root and cannot be written: a user's run reads them anyway.
if [ "$(id -u)" -eq 0 ] && command -v setpriv > /dev/null && id nobody > /dev/null 2>&1; then
  chmod 755 "$work" && mkdir "$work/user" && cp "$fixtures/photo.png" "$work/user/" && chown -R nobody "$work/user"
  (cd "$root/usr/share/scene-builder" && setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups \
    "$tool" "$work/user") > /dev/null 2> "$work/err"; code=$?
  check "a user who cannot write the templates builds a scene" test "$code" -eq 0 -a ! -s "$work/err"
  check "with the installed header in it" grep -q "^#macro add_image" "$work/user/image_scan.pov"
fi

(cd "$work/pics" && HOME="$work" povray +Iimage_scan.pov +Orender.png +W160 +H120 -D +FN > "$work/povray.log" 2>&1)
code=$?
check "POV-Ray renders the scene" test "$code" -eq 0
check "into a PNG of the requested size" \
  test "$(od -An -tu1 -j16 -N8 "$work/pics/render.png" 2>/dev/null | tr -s ' ' | sed 's/^ //')" = "0 0 0 160 0 0 0 120"
[ "$code" -eq 0 ] || tail -20 "$work/povray.log"

report
