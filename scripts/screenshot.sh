#!/usr/bin/env bash
# Starts the desktop application under Xvfb in its screenshot mode: it adds the sample
# LUTs, previews one and saves PNG pictures of the main window, the conversion dialog, the
# progress window and the ICC-to-LUT, LUT-to-ICC and merge dialogs filled in. Prints the
# folder that holds them.
#   scripts/screenshot.sh [BUILD_DIR] [OUTPUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${1:-build}"
out_dir="${2:-$(mktemp -d /tmp/vorn-screenshots-XXXXXX)}"
app="$build_dir/ui/vorn-lut-converter"
if [ ! -x "$app" ]; then
  echo "screenshot: $app is missing; build first (make build)" >&2
  exit 1
fi
mkdir -p "$out_dir"
shopt -s nullglob
luts=("$PWD"/assets/samples/*.cube "$PWD"/assets/samples/*.cfe "$PWD"/assets/samples/*.vlt)
xvfb-run --auto-servernum --server-args="-screen 0 1280x900x24" \
  "$app" --screenshot-demo "$out_dir" "${luts[@]}"
echo "screenshots in $out_dir"
