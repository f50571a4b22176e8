#!/usr/bin/env bash
# Runs the screenshot tool (vorn-lut-screenshots, built beside the window, never installed)
# under Xvfb: it opens the real windows, adds the sample
# LUTs, previews one and saves PNG pictures of the main window (at its starting size, on the
# whole 1600 x 1000 screen and with the Edit menu open), the conversion dialog, the
# progress window and the ICC-to-LUT, LUT-to-ICC and merge dialogs filled in, then converts
# the samples with "Report the conversion loss" checked and saves the loss summary, and
# the end-of-batch summary of a batch with a truncated file added. Prints the folder that
# holds them.
#   scripts/screenshot.sh [BUILD_DIR] [OUTPUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${1:-build}"
out_dir="${2:-$(mktemp -d /tmp/vorn-screenshots-XXXXXX)}"
app="$build_dir/ui/tools/vorn-lut-screenshots"
if [ ! -x "$app" ]; then
  echo "screenshot: $app is missing; build first (make build)" >&2
  exit 1
fi
mkdir -p "$out_dir"
shopt -s nullglob
luts=("$PWD"/assets/samples/*.cube "$PWD"/assets/samples/*.cfe "$PWD"/assets/samples/*.vlt)
xvfb-run --auto-servernum --server-args="-screen 0 1600x1000x24" \
  "$app" "$out_dir" "${luts[@]}"
echo "screenshots in $out_dir"
