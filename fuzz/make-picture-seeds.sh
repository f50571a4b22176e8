#!/usr/bin/env bash
# Writes small pictures of every decoded kind into the folder given, as seeds for the
# picture fuzzer: ImageMagick renders them, in the layouts the decoders take.
#   make-picture-seeds.sh FOLDER
set -euo pipefail
out=${1:?usage: make-picture-seeds.sh FOLDER}
mkdir -p "$out"
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
