#!/usr/bin/env bash
# Times `vorn-lut apply` of a 33-node 3D LUT to a 24-megapixel JPEG (6000 x 4000, written
# as JPEG) against libjpeg-turbo's own tools doing only the picture's part of that job:
# `djpeg` (decode to PPM) plus `cjpeg` (encode again) as two processes. cjpeg is given the
# settings apply writes with (quality 95, no chroma subsampling), so both sides encode the
# same amount of data. Whole processes, timed with hyperfine; the peer's time is the sum
# of the two medians. Prints both times, the ratio vorn-lut / (djpeg + cjpeg) and PASS
# when it is at most 1.3, FAIL otherwise.
#
# Usage: compare-apply.sh VORN_LUT [RUNS]   (default 10 runs per command)
# Exit status: 0 after a PASS or a FAIL verdict (set VORN_APPLY_STRICT=1 to exit 3 on
# FAIL); 1 when a command fails; 2 for a usage or set-up error.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 VORN_LUT [RUNS]" >&2
  exit 2
fi
vorn=$(realpath "$1")
runs=${2:-10}
target_ratio=1.3
# What cli/PictureCommands.cpp writes a JPEG with.
quality=95
sampling=1x1

for tool in python3 hyperfine djpeg cjpeg convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "compare-apply: $tool is not installed (see scripts/install-deps.sh)" >&2
    exit 2
  fi
done
if [ ! -x "$vorn" ]; then
  echo "compare-apply: $vorn is missing or not executable; build it first" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-apply-XXXXXX")
trap 'rm -rf "$work"' EXIT

# The picture: a fractal plasma (soft gradients and edges, like a photograph's low
# frequencies) enlarged to 6000 x 4000, with grain so that the DCT has fine detail to code.
convert -size 1500x1000 -seed 7 plasma:fractal -blur 0x1 -resize '6000x4000!' \
  -attenuate 0.3 +noise Gaussian -quality 92 "$work/photo.jpg"

# The LUT: a 33-node grade (saturation, per-channel gamma and lift).
python3 "$(dirname "$0")/make-grade-cube.py" 33 "$work/grade.cube" "compare-apply grade" --clamp

printf -v vorn_cmd '%q ' "$vorn" apply --overwrite "$work/grade.cube" "$work/photo.jpg" \
  "$work/vorn.jpg"
printf -v djpeg_cmd '%q ' djpeg -outfile "$work/photo.ppm" "$work/photo.jpg"
printf -v cjpeg_cmd '%q ' cjpeg -quality "$quality" -sample "$sampling" -outfile \
  "$work/peer.jpg" "$work/photo.ppm"

# One run of each outside the timing: a failing command stops here with its message.
for command in "$vorn_cmd" "$djpeg_cmd" "$cjpeg_cmd"; do
  if ! bash -c "$command" >/dev/null; then
    echo "compare-apply: failed: $command" >&2
    exit 1
  fi
done

hyperfine --style basic --warmup 1 --runs "$runs" --export-json "$work/times.json" \
  -n "vorn-lut apply" "$vorn_cmd" -n djpeg "$djpeg_cmd" -n cjpeg "$cjpeg_cmd" >/dev/null

status=0
python3 - "$work/times.json" "$target_ratio" <<'EOF' || status=$?
import json
import sys

results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
target = float(sys.argv[2])
vorn = results["vorn-lut apply"]
djpeg, cjpeg = results["djpeg"], results["cjpeg"]
peer = djpeg["median"] + cjpeg["median"]
ratio = vorn["median"] / peer


def line(name, r):
    return (f"{name:<16} median {r['median'] * 1000:8.1f} ms"
            f"  (user {r['user'] * 1000:.1f}, system {r['system'] * 1000:.1f})")


print("apply 33-node 3D LUT to a 6000x4000 JPEG, written as JPEG q95 4:4:4")
print(line("vorn-lut apply", vorn))
print(line("djpeg", djpeg))
print(line("cjpeg", cjpeg))
print(f"ratio vorn-lut / (djpeg + cjpeg {peer * 1000:.1f} ms) = {ratio:.2f}"
      f"  target <= {target}  {'PASS' if ratio <= target else 'FAIL'}")
sys.exit(0 if ratio <= target else 3)
EOF
if [ "$status" -eq 3 ] && [ "${VORN_APPLY_STRICT:-0}" != 1 ]; then status=0; fi
exit "$status"
