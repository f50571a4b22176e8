#!/usr/bin/env bash
# Writes small pictures of every decoded kind into the folder given, as seeds for the
# picture fuzzer: ImageMagick renders them, in the layouts the decoders take; then damaged
# ones (cut, corrupt, more data than declared), headers declaring 16384 x 16384 pixels in a
# few bytes, and TIFF and Exif orientation tags, made from those by hand. With a second
# folder, 182 x 182 pictures shaped like Hald images, small standard Hald CLUTs and an OBS
# lookup picture go there too, compressed to stay under the LUT fuzzer's input size
# (fuzz/seeds holds them as made here).
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
  convert "$hald/hald.ppm" -strip -flip -orient BottomLeft -compress Zip "$lut_seeds/hald-182-bottom-up.tif"
  # The Hald JPEG cut half-way through its pixel data, with the end marker put back.
  python3 - "$lut_seeds/hald-182.jpg" "$lut_seeds/hald-182-cut.jpg" <<'PYTHON'
import sys
jpeg = open(sys.argv[1], "rb").read()
scan = jpeg.find(b"\xff\xda")
open(sys.argv[2], "wb").write(jpeg[: (scan + len(jpeg)) // 2] + b"\xff\xd9")
PYTHON
  # Standard Hald CLUTs (side L^3, red fastest) and OBS's 512 x 512 tiles of 64 x 64.
  convert hald:2 -strip "$lut_seeds/hald-clut-2.png"
  convert hald:3 -strip -depth 16 "$lut_seeds/hald-clut-3-16.png"
  convert hald:2 -strip "$lut_seeds/hald-clut-2.bmp"
  convert hald:3 -strip -compress Zip "$lut_seeds/hald-clut-3.tif"
  convert hald:2 -strip -quality 30 "$lut_seeds/hald-clut-2.jpg"
  convert hald:2 -strip -crop 7x8+0+0 "$lut_seeds/hald-clut-7x8.png"
  python3 - "$hald/obs.ppm" <<'PYTHON'
import sys
pixels = bytearray(512 * 512 * 3)
for y in range(512):
    for x in range(512):
        rgb = (x % 64, y % 64, y // 64 * 8 + x // 64)
        pixels[3 * (512 * y + x):3 * (512 * y + x) + 3] = bytes(round(k / 63 * 255) for k in rgb)
with open(sys.argv[1], "wb") as f:
    f.write(b"P6 512 512 255\n" + bytes(pixels))
PYTHON
  convert "$hald/obs.ppm" -strip "$lut_seeds/obs-512.png"
fi
convert -size 6x5 gradient:red-blue "$out/rgb.bmp"
convert -size 6x5 gradient:red-blue -type Palette BMP3:"$out/palette.bmp"
convert -size 6x5 gradient:red-blue -quality 80 "$out/rgb.jpg"
convert -size 6x5 gradient: -colorspace Gray "$out/gray.jpg"
convert -size 6x5 gradient:red-blue -compress None "$out/rgb.tif"
convert -size 6x5 gradient:red-blue -compress LZW -define tiff:predictor=2 "$out/lzw.tif"
convert -size 6x5 gradient:red-blue -compress RLE "$out/packbits.tif"
convert -size 6x5 gradient: -depth 16 "$out/gray16.tif"
convert -size 6x5 gradient:red-blue -depth 16 -compress LZW "$out/rgb16.tif"
convert -size 6x5 gradient:red-blue -depth 16 -interlace Plane "$out/rgb16-planes.tif"
convert -size 6x5 gradient:red-blue -depth 16 -orient RightTop "$out/rgb16-right-top.tif"
convert -size 6x5 gradient:red-blue -depth 16 "$out/rgb16.png"
convert -size 6x5 gradient:red-blue "$out/rgb.png"
convert -size 6x5 gradient:red-blue -type Palette PNG8:"$out/palette.png"
convert -size 6x5 gradient: -depth 16 -alpha on "$out/gray16a.png"
convert -size 6x5 gradient:red-blue -orient RightTop "$out/right-top.tif"
convert -size 6x5 gradient:red-blue -compress RLE -define tiff:rows-per-strip=5 "$out/packbits-overrun.tif"
python3 - "$out" <<'PYTHON'
import struct, sys, zlib
out = sys.argv[1]
def read(name):
    with open(f"{out}/{name}", "rb") as f:
        return bytearray(f.read())
def write(name, data):
    with open(f"{out}/{name}", "wb") as f:
        f.write(bytes(data))
def png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
jpeg = read("rgb.jpg")
scan = jpeg.find(b"\xff\xda")
write("cut.jpg", jpeg[: (scan + len(jpeg)) // 2] + b"\xff\xd9")
frame = jpeg.find(b"\xff\xc0")
huge_jpeg = bytearray(jpeg)
huge_jpeg[frame + 5 : frame + 9] = struct.pack(">HH", 16384, 16384)
write("huge.jpg", huge_jpeg)
# An Exif block with Orientation 6 right after the start marker.
exif = b"Exif\0\0MM\0\x2a" + struct.pack(">IHHHIHHI", 8, 1, 274, 3, 1, 6, 0, 0)
write("exif-right-top.jpg", jpeg[:2] + b"\xff\xe1" + struct.pack(">H", len(exif) + 2) + exif + jpeg[2:])
write("huge.bmp", b"BM" + struct.pack("<IHHIIiiHHIIiiII", 54, 0, 0, 54, 40, 16384, 16384, 1, 24, 0, 0, 0, 0, 0, 0))
bmp = read("rgb.bmp")
write("short.bmp", bmp[: len(bmp) * 6 // 10])
signature = b"\x89PNG\r\n\x1a\n"
def rgb_png(width, height, raw):
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return signature + png_chunk(b"IHDR", header) + png_chunk(b"IDAT", zlib.compress(raw)) + png_chunk(b"IEND", b"")
raw = b"".join(b"\0" + b"".join(bytes(((x * 40) % 256, y * 50, 128)) for x in range(6)) for y in range(5))
write("extra-data.png", rgb_png(6, 5, raw + raw[:19]))
write("short-data.png", rgb_png(6, 5, raw[:50]))
write("huge.png", rgb_png(16384, 16384, bytes(1000)))
# A grey LZW TIFF declaring 16384 x 16384 pixels with a strip of 16 bytes.
entries = [(256, 4, 16384), (257, 4, 16384), (258, 3, 8), (259, 3, 5), (262, 3, 1),
           (273, 4, 8 + 2 + 12 * 9 + 4), (277, 3, 1), (278, 4, 16384), (279, 4, 16)]
tiff = b"II\x2a\0" + struct.pack("<IH", 8, len(entries))
for tag, kind, value in entries:
    tiff += struct.pack("<HHII", tag, kind, 1, value)
write("huge-lzw.tif", tiff + struct.pack("<I", 0) + b"\x80" * 16)
# PackBits strips turned into literal runs of 128 bytes that overrun the rows.
packbits = read("packbits-overrun.tif")
directory = struct.unpack("<I", packbits[4:8])[0] if packbits[:2] == b"II" else struct.unpack(">I", packbits[4:8])[0]
for i in range(8 + (directory - 8) // 4, 8 + (directory - 8) * 3 // 4):
    packbits[i] = 0x7F
write("packbits-overrun.tif", packbits)
PYTHON
