#!/usr/bin/env bash
# Builds the Windows installer and portable zip from the build folder and uses them under wine: the
# files each holds, licences among them, a silent install, a scene built through the Start-menu shortcut
# (whose working folder must hold the templates), and a silent uninstall that leaves nothing behind.
set -uo pipefail
wine=$1 config=$2 version=$3 examples=$4 fixtures=$5  # then the libraries' licence texts
source "$(dirname "${BASH_SOURCE[0]}")/../support/check.sh"
# Shortcuts made here must not become menu entries of the machine's own desktop.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"
export XDG_DATA_HOME="$work/xdg" XDG_CONFIG_HOME="$work/xdg"
prefix=${WINEPREFIX:-$HOME/.wine}
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/scene-builder"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\scene-builder'
# What a failed earlier run left would pass the checks below.
rm -rf "$menu"
"$wine" reg delete "$uninstall_key" /f > /dev/null 2>&1

cpack -G "NSIS;ZIP" --config "$config" -B "$work/out" > "$work/cpack.log" 2>&1 || {
  echo "cpack failed:"; cat "$work/cpack.log"; exit 1; }
installer="$work/out/scene-builder-$version-win64.exe" zip="$work/out/scene-builder-$version-win64.zip"
[ -f "$installer" ] && [ -f "$zip" ] || { echo "cpack made:"; ls "$work/out"; exit 1; }
listing() { 7z l -ba -slt "$1" | sed -n 's/^Path = //p' | grep -v '^\$PLUGINSDIR' | sort; }
files=$(printf '%s\n' LICENSE.txt README-windows.txt THIRD-PARTY-NOTICES.txt pov_image_read_{A,B}.txt scene-builder.exe)
check "the zip holds the same files in one folder" \
  test "$(listing "$zip" | grep -v '/$' | grep /)" = "$(sed "s#^#scene-builder-$version-win64/#" <<< "$files" | sort)"
check "the installer shows the licence on a page" grep -q 'PAGE_LICENSE ".*/LICENSE.txt"' "$work"/out/_CPack_*/*/NSIS/project.nsi

# The installer reads /D= unquoted to its command line's end and wine quotes a blank: the folder has none.
install_dir="$work/installed"
"$wine" "$installer" /S "/D=$(winepath -w "$install_dir" 2> /dev/null)" > /dev/null 2>&1; code=$?
check "the silent install exits 0 and puts every file in the chosen folder" \
  test "$code" -eq 0 -a "$(cd "$install_dir" && ls | sort)" = "$(printf '%s\nUninstall.exe' "$files" | sort)"
check "the Start menu and Add or Remove Programs list it" \
  test -f "$menu/scene-builder.lnk" -a "$("$wine" reg query "$uninstall_key" > /dev/null 2>&1; echo $?)" -eq 0
notices=$(tr -d '\r' < "$install_dir/THIRD-PARTY-NOTICES.txt") missing=""
for text in "${@:6}"; do  # zlib's licence is the block of its header from the copyright to the authors
  [[ $text == */zlib.h ]] && wanted=$(sed -n '/Copyright (C)/,/madler@/p' "$text") || wanted=$(tr -d '\r' < "$text")
  [[ -n $wanted && $notices == *"$wanted"* ]] || missing+=" $text"
done
check "the third-party notices hold each library's licence as shipped${missing:+; not:$missing}" test $# -ge 10 -a -z "$missing"

# The installed program carries its icon, its version and its manifest.
exe="$install_dir/scene-builder.exe"
types=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -nE 's/^[0-9a-f]{3}   Entry: ID: 0x0*([0-9a-f]+),.*/\1/p' | tr '\n' ' ')
check "resources: icon, icon group, version, manifest" test "$types" = "3 e 10 18 "
check "the manifest asks for common controls 6" grep -qaF 'Common-Controls" version="6.0.0.0"' "$exe"
check "and for per-monitor density" grep -qaF '>PerMonitorV2</dpiAwareness>' "$exe"

mkdir -p "$work/pics/sub"
cp "$fixtures/photo.png" "$work/pics/"
cp "$fixtures/pic.jpg" "$work/pics/sub/"
# Started from the Start menu, the program reads the templates in the shortcut's working folder. wine's
# start returns at once for a shortcut: the scene and the program's end are awaited.
"$wine" start "$(winepath -w "$menu/scene-builder.lnk" 2> /dev/null)" "$(winepath -w "$work/pics" 2> /dev/null)" \
  > /dev/null 2>&1
running="$(winepath -w "$install_dir/scene-builder.exe" 2> /dev/null)"
finished() { [ -e "$work/pics/image_scan.pov" ] && ! ps -eo args | grep -qiF "$running"; }
await finished
{ cat "$examples/pov_image_read_A.txt"
  printf 'add_image ( "photo.png", 64, 32 ) \nadd_image ( "sub\\\\pic.jpg", 30, 60 ) \n'
  cat "$examples/pov_image_read_B.txt"; } > "$work/expected.pov"
check "the Start-menu entry builds a scene with the installed templates" \
  cmp -s <(tr -d '\r' < "$work/pics/image_scan.pov" 2> /dev/null) "$work/expected.pov"

"$wine" "$install_dir/Uninstall.exe" /S > /dev/null 2>&1
# The uninstaller runs on from a copy of itself, so its work is awaited.
await test ! -e "$install_dir"
check "the silent uninstall removes the folder, the Start-menu entry and the programs list entry" \
  test ! -e "$install_dir" -a ! -e "$menu" -a "$("$wine" reg query "$uninstall_key" > /dev/null 2>&1; echo $?)" -ne 0
report
