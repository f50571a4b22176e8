#!/usr/bin/env bash
# Writes the seed inputs of one fuzz target into a folder, made by the program itself:
#   loadlut   every registered output profile written by our own writers (vorn_make_luts),
#             the hand-made edge cases of fuzz/seeds (make-seeds.py) and the inputs kept in
#             fuzz/regressions
#   xml       the documents of fuzz/seeds-xml (make-seeds.py)
#   icc       a LUT written as a profile of every class by our own writer (vorn_make_luts),
#             the standard sRGB profile and the ICC profiles installed under /usr/share/color
#   pictures  small pictures of every decoded kind (make-picture-seeds.sh, ImageMagick)
#   others    none of their own; the runs add the real files of the shared corpus
# Usage: make-seeds.sh TARGET FUZZ_BUILD_DIR FOLDER
set -euo pipefail
target=${1:?usage: make-seeds.sh TARGET FUZZ_BUILD_DIR FOLDER}
build=${2:?usage: make-seeds.sh TARGET FUZZ_BUILD_DIR FOLDER}
out=${3:?usage: make-seeds.sh TARGET FUZZ_BUILD_DIR FOLDER}
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out"
case "$target" in
  loadlut)
    "$build/bench/tools/vorn_make_luts" seeds "$out"
    cp "$here"/seeds/* "$here"/regressions/* "$out"/ ;;
  xml) cp "$here"/seeds-xml/* "$out"/ ;;
  icc)
    "$build/bench/tools/vorn_make_luts" icc "$out"
    find /usr/share/color -type f \( -iname '*.icc' -o -iname '*.icm' \) -size -512k \
      -exec cp {} "$out"/ \; 2>/dev/null || true ;;
  pictures) bash "$here/make-picture-seeds.sh" "$out" ;;
  *) ;;
esac
