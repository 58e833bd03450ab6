#!/usr/bin/env bash
# Makes the README's two pictures from a generated folder of holiday pictures:
#   docs/window.png   the real window after a scan of the folder (offscreen, driven by clicks)
#   docs/gallery.png  the scene that scan wrote, rendered by POV-Ray with the example templates
# The pictures in the folder are themselves rendered by POV-Ray, so nothing outside the repository
# is needed. BUILD names the build folder to use (default build/docs; build/ci works too).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
build=${BUILD:-build/docs}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSB_BENCH=OFF
fi
cmake --build "$build" --target scene-builder app_window_shot

# A short, fixed place: the window's status line shows the scanned folder's full path.
work=/tmp/scene-builder-docs
rm -rf "$work" && mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
# The tree shows the generated home folder; POV-Ray looks for its settings in a home of its own.
export HOME=$work/home
povray() { HOME=$work command povray "$@"; }

# One small scene for every picture: a shape on a checker floor under a sky, in the colours given.
cat > "$work/picture.pov" <<'POV'
#version 3.7;
global_settings { assumed_gamma 1.0 }
camera { location <0, 1.3, -4.2> look_at <0, 0.7, 0> angle 46 right x * image_width / image_height }
light_source { <-4, 7, -6> color rgb 1.2 }
sky_sphere { pigment { gradient y color_map { [0 color rgb <1, 0.93, 0.85>] [0.4 color rgb <Sr, Sg, Sb>] } } }
plane { y, 0 pigment { checker color rgb 0.95 color rgb <Sr, Sg, Sb> * 0.4 scale 0.7 } finish { reflection 0.1 } }
#local Paint = pigment { color rgb <R, G, B> }
#switch (Shape)
  #case (0) sphere { <0, 0.9, 0>, 0.9 pigment { Paint } finish { phong 0.9 reflection 0.2 } } #break
  #case (1) box { <-0.7, 0, -0.7>, <0.7, 1.4, 0.7> rotate y * 35 pigment { Paint } finish { phong 0.5 } } #break
  #case (2) torus { 0.7, 0.28 rotate x * -60 translate y * 0.9 pigment { Paint } finish { phong 0.9 } } #break
  #case (3) cone { <0, 0, 0>, 0.9, <0, 2.0, 0>, 0 pigment { Paint } finish { phong 0.6 } } #break
  #else cylinder { <0, 0, 0>, <0, 1.6, 0>, 0.55 pigment { Paint } finish { phong 0.7 reflection 0.15 } }
#end
POV

gallery=$HOME/Pictures/holiday
mkdir -p "$gallery/2026/march" "$gallery/2026/beach"
# name, width, height, shape, shape colour, sky colour
pictures=(
  "harbour.png 320 240 0 0.85,0.15,0.12 0.35,0.6,0.95"
  "lighthouse.png 180 320 4 0.95,0.95,0.9 0.25,0.45,0.85"
  "sunset.jpg 400 200 2 0.95,0.6,0.1 0.9,0.45,0.3"
  "dice.gif 240 240 1 0.2,0.7,0.3 0.55,0.75,0.95"
  "2026/march/hills.jpg 320 213 3 0.3,0.55,0.2 0.6,0.8,1"
  "2026/march/lake.png 300 300 0 0.2,0.4,0.9 0.7,0.85,0.95"
  "2026/beach/sandcastle.png 320 200 3 0.9,0.8,0.5 0.3,0.7,0.95"
)
for entry in "${pictures[@]}"; do
  read -r name width height shape colour sky <<< "$entry"
  IFS=, read -r r g b <<< "$colour"
  IFS=, read -r sr sg sb <<< "$sky"
  povray +I"$work/picture.pov" +O"$work/picture.png" +W"$width" +H"$height" +A0.3 -D +FN \
    Declare=Shape="$shape" Declare=R="$r" Declare=G="$g" Declare=B="$b" \
    Declare=Sr="$sr" Declare=Sg="$sg" Declare=Sb="$sb" > "$work/povray.log" 2>&1 || {
    tail -20 "$work/povray.log"; exit 1; }
  case $name in
    *.png) cp "$work/picture.png" "$gallery/$name" ;;
    *) convert "$work/picture.png" "$gallery/$name" ;;
  esac
done
printf 'Pictures of the spring trip.\n' > "$gallery/notes.txt"

# The window: run where the gallery templates are, as the README says, and press process.
mkdir "$work/templates"
cp examples/pov_image_read_A.txt examples/pov_image_read_B.txt "$work/templates/"
mkdir -p docs
(cd "$work/templates" && QT_QPA_PLATFORM=offscreen "$repo/$build/tests/app/app_window_shot" "$gallery" "$repo/docs/window.png")

# The gallery: the scene that press wrote, rendered from the scanned folder.
(cd "$gallery" && povray +Iimage_scan.pov +O"$repo/docs/gallery.png" +W640 +H400 +A0.3 -D +FN > "$work/povray.log" 2>&1) || {
  tail -20 "$work/povray.log"; exit 1; }
# The Windows window, when the Windows build is there: the same gallery in the documents folder of a
# wine prefix of its own, on a virtual display, saved as the screen shows it.
windows_build=${WINDOWS_BUILD:-build/windows}
if [ -f "$windows_build/tests/app/app_window_shot.exe" ] && command -v wine > /dev/null; then
  rm -f "$gallery/image_scan.pov"
  mkdir "$work/winehome"
  HOME=$work/winehome WINEPREFIX=$work/wine xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -e
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    wineboot -i < /dev/null > /dev/null 2>&1
    documents=$(wine cmd /c "echo %USERPROFILE%\\Documents" < /dev/null 2> /dev/null | tr -d "\r")
    cp -r "$1" "$(winepath -u "$documents")/holiday"
    cd "$2" && wine explorer /desktop=shot,1024x768 "$3" "$documents\\holiday" window.bmp < /dev/null 2> /dev/null
    wineserver -w' _ "$gallery" "$work/templates" "$repo/$windows_build/tests/app/app_window_shot.exe"
  convert "$work/templates/window.bmp" docs/window-windows.png
  ls -l docs/window-windows.png
fi
ls -l docs/window.png docs/gallery.png
