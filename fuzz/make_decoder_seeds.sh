#!/usr/bin/env bash
# Makes the seed files of the PNG, JPEG and GIF fuzz targets with ImageMagick's convert (Debian's
# imagemagick 6.9). The files are committed; run this again only to change them. The files named
# by a hash beside them were merged in from fuzzing runs of the targets:
#
#   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DSB_FUZZ=ON -DSB_TESTS=OFF -DSB_BENCH=OFF
#   ninja -C build/fuzz fuzz_png_decoder          # likewise fuzz_jpeg_decoder, fuzz_gif_decoder
#   mkdir -p work && ASAN_OPTIONS=allocator_may_return_null=1:max_allocation_size_mb=64 nice \
#     build/fuzz/fuzz/fuzz_png_decoder -max_total_time=600 -rss_limit_mb=3072 -max_len=16384 \
#     work fuzz/corpus/png
#   build/fuzz/fuzz/fuzz_png_decoder -merge=1 fuzz/corpus/png work
set -euo pipefail
cd "$(dirname "$0")/corpus"
mkdir -p png jpeg gif

src="-size 24x16 gradient:red-blue"
pat="-size 24x16 pattern:checkerboard"

# PNG: every colour type, the depths that matter, transparency, interlace.
convert $pat -colorspace Gray -define png:color-type=0 -define png:bit-depth=1 png/gray1.png
convert $src -colorspace Gray -define png:color-type=0 -define png:bit-depth=4 png/gray4.png
convert $src -colorspace Gray -define png:color-type=0 -define png:bit-depth=16 png/gray16.png
convert $src -define png:color-type=2 -define png:bit-depth=8 png/rgb8.png
convert $src -define png:color-type=2 -define png:bit-depth=16 -interlace PNG png/rgb16-interlaced.png
convert $pat -define png:color-type=3 -define png:bit-depth=2 png/palette2.png
convert $src -colors 16 -transparent "#ff0000" -define png:color-type=3 png/palette-trns.png
convert $src -alpha set -channel A -evaluate set 50% +channel -colorspace Gray -define png:color-type=4 png/gray-alpha.png
convert $src -alpha set -channel A -evaluate set 30% +channel -define png:color-type=6 -define png:bit-depth=16 png/rgba16.png
convert $src -define png:color-type=6 -interlace PNG png/rgba8-interlaced.png

# JPEG: gray, baseline and progressive colour, 4:4:4, CMYK from an Adobe-style writer.
convert $src -colorspace Gray -quality 80 jpeg/gray.jpg
convert $src -quality 75 jpeg/baseline.jpg
convert $src -quality 75 -interlace JPEG jpeg/progressive.jpg
convert $src -quality 90 -sampling-factor 1x1 jpeg/444.jpg
convert $src -colorspace CMYK -quality 80 jpeg/cmyk.jpg
convert -size 17x9 plasma:fractal -seed 3 -quality 60 jpeg/odd-size.jpg

# GIF: one frame, interlaced, transparency, animation with each disposal mode, local maps.
convert $src -colors 8 gif/single.gif
convert $src -colors 4 -interlace GIF gif/interlaced.gif
convert $pat -transparent white gif/transparent.gif
convert -delay 5 -dispose None -size 12x12 xc:red -size 6x6 -page +3+3 xc:blue -page +0+0 -size 4x4 xc:lime gif/dispose-none.gif
convert -delay 7 -dispose Background -size 12x12 xc:red -page +2+2 -size 5x5 xc:blue -page +6+6 -size 5x5 xc:yellow gif/dispose-background.gif
convert -delay 9 -dispose Previous -size 12x12 xc:red -page +2+2 -size 5x5 xc:blue -page +6+6 -size 5x5 xc:yellow gif/dispose-previous.gif
convert -size 8x8 xc:red -size 8x8 gradient:lime-navy +map gif/local-maps.gif
