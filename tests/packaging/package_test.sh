#!/usr/bin/env bash
# Packs the build folder into the Debian package, has lintian and appstreamcli judge it, unpacks it as
# dpkg would and uses what it holds: a scene built by the unpacked program in the template folder the
# desktop entry starts in, rendered by POV-Ray with the installed templates.
set -uo pipefail
config=$1 version=$2 fixtures=$3 licence=$4
source "$(dirname "${BASH_SOURCE[0]}")/../support/check.sh"

cpack -G DEB --config "$config" -B "$work/out" > "$work/cpack.log" 2>&1 || {
  echo "cpack failed:"; cat "$work/cpack.log"; exit 1; }
deb="$work/out/scene-builder_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "no $deb; cpack made:"; ls "$work/out"; exit 1; }
check "apt would install the package on a machine that has nothing installed" grep -q "^Inst scene-builder ($version" \
  <<< "$(apt-get install -s -o Debug::NoLocking=1 -o Dir::State::status=/dev/null "$deb" 2>&1)"
lints=$(lintian "$deb" 2>&1 | grep '^[EW]: ')
check "lintian finds no error and no warning${lints:+: $lints}" test -z "$lints"

root="$work/root" share="$work/root/usr/share" copyright="$work/root/usr/share/doc/scene-builder/copyright"
dpkg-deb -x "$deb" "$root"
expected=$(printf './usr/%s\n' bin/scene-builder share/{applications/scene-builder.desktop,doc/scene-builder/changelog.gz} \
  share/{doc/scene-builder/copyright,icons/hicolor/scalable/apps/scene-builder.svg,man/man1/scene-builder.1.gz} \
  share/{metainfo/io.github.scene_builder.scene_builder.metainfo.xml,scene-builder/pov_image_read_{A,B}.txt})
check "the package holds exactly the installed files" test "$(cd "$root" && find . ! -type d | sort)" = "$expected"
entry="$share/applications/scene-builder.desktop"
check "the desktop entry is valid" desktop-file-validate "$entry"
check "and runs the installed program in the template folder" \
  test "$(sed -n 's/^Exec=//p; s/^Path=//p' "$entry" | tr '\n' ' ')" = "scene-builder /usr/share/scene-builder "
check "the metainfo is valid AppStream" appstreamcli validate --no-net --strict "$share"/metainfo/*.xml
check "the copyright file is machine-readable and carries the project's licence" \
  test "$(head -1 "$copyright")" = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
  -a "$(sed -n '/^License: Expat$/,$p' "$copyright" | sed '1d; s/^ \.$//; s/^ //')" = "$(sed -n '/^Permission/,$p' "$licence")"

mkdir -p "$work/pics/sub folder"
cp "$fixtures/photo.png" "$work/pics/"
cp "$fixtures/pic.jpg" "$fixtures/anim.gif" "$work/pics/sub folder/"
tool="$root/usr/bin/scene-builder"
(cd "$share/scene-builder" && "$tool" "$work/pics") > "$work/listed" 2> "$work/err"; code=$?
check "the unpacked program builds a scene from the template folder" test "$code" -eq 0 -a ! -s "$work/err"
check "and lists every image" test "$(cat "$work/listed")" = "$(printf 'photo.png\nsub folder/anim.gif\nsub folder/pic.jpg')"
# As installed, the templates belong to root and cannot be written: a user's run reads them anyway.
if [ "$(id -u)" -eq 0 ] && command -v setpriv > /dev/null && id nobody > /dev/null 2>&1; then
  chmod 755 "$work" && mkdir "$work/user" && cp "$fixtures/photo.png" "$work/user/" && chown -R nobody "$work/user"
  (cd "$share/scene-builder" && setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups \
    "$tool" "$work/user") > /dev/null 2>&1
  check "a user who cannot write the templates builds a scene with the installed header" \
    grep -q "^#macro add_image" "$work/user/image_scan.pov"
fi

(cd "$work/pics" && HOME="$work" povray +Iimage_scan.pov +Orender.png +W160 +H120 -D +FN > "$work/povray.log" 2>&1)
check "POV-Ray renders the scene into a PNG of the requested size" test "$(png_size "$work/pics/render.png")" = "160 120"
[ -f "$work/pics/render.png" ] || tail -20 "$work/povray.log"
report
