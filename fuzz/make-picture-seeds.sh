#!/usr/bin/env bash
# Writes small pictures of every decoded kind into the folder given, as seeds for the
# picture fuzzer: ImageMagick renders them, in the layouts the decoders take. With a second
# folder, 182 x 182 pictures shaped like Hald images go there too, compressed to stay under
# the LUT fuzzer's input size (fuzz/seeds holds them as made here).
#   make-picture-seeds.sh FOLDER [LUT_SEED_FOLDER]
set -euo pipefail
out=${1:?usage: make-picture-seeds.sh FOLDER [LUT_SEED_FOLDER]}
mkdir -p "$out"
if [ $# -ge 2 ]; then
  lut_seeds=$2
  mkdir -p "$lut_seeds"
  hald=$(mktemp -d)
  trap 'rm -rf "$hald"' EXIT
  # The identity Hald layout: 32 nodes per axis, blue fastest, row by row.
  python3 - "$hald/hald.ppm" <<'PYTHON'
import sys
pixels = bytearray(182 * 182 * 3)
for p in range(32768):
    r, g, b = p // 1024, p // 32 % 32, p % 32
    pixels[3 * p:3 * p + 3] = bytes(k * 255 // 31 for k in (r, g, b))
with open(sys.argv[1], "wb") as f:
    f.write(b"P6 182 182 255\n" + bytes(pixels))
PYTHON
  convert "$hald/hald.ppm" -strip -quality 30 "$lut_seeds/hald-182.jpg"
  convert "$hald/hald.ppm" -strip -compress LZW "$lut_seeds/hald-182-lzw.tif"
  convert "$hald/hald.ppm" -strip -compress Zip -define tiff:predictor=2 "$lut_seeds/hald-182-zip.tiff"
  convert "$hald/hald.ppm" -strip -colorspace Gray -quality 30 "$lut_seeds/hald-182-grey.jpg"
  convert "$hald/hald.ppm" -strip -crop 181x182+0+0 -compress Zip "$lut_seeds/hald-181.tif"
fi
convert -size 6x5 gradient:red-blue "$out/rgb.bmp"
convert -size 6x5 gradient:red-blue -type Palette BMP3:"$out/palette.bmp"
convert -size 6x5 gradient:red-blue -quality 80 "$out/rgb.jpg"
convert -size 6x5 gradient: -colorspace Gray "$out/gray.jpg"
convert -size 6x5 gradient:red-blue -compress None "$out/rgb.tif"
convert -size 6x5 gradient:red-blue -compress LZW -define tiff:predictor=2 "$out/lzw.tif"
convert -size 6x5 gradient:red-blue -compress RLE "$out/packbits.tif"
convert -size 6x5 gradient: -depth 16 "$out/gray16.tif"
convert -size 6x5 gradient:red-blue "$out/rgb.png"
convert -size 6x5 gradient:red-blue -type Palette PNG8:"$out/palette.png"
convert -size 6x5 gradient: -depth 16 -alpha on "$out/gray16a.png"
