#!/usr/bin/env bash
# Times vorn-lut against OpenColorIO's ociobakelut on the same job: a 64-node Cube file
# converted to a 64-node Resolve-style Cube file. Both whole processes are timed with
# hyperfine; the script prints both medians, their ratio and PASS when vorn-lut takes
# under a tenth of the peer's time, FAIL otherwise.
#
# Usage: compare-peer.sh VORN_LUT [RUNS]   (default 15 runs per command)
# Exit status: 0 after a PASS or a FAIL verdict (set VORN_PEER_STRICT=1 to exit 3 on
# FAIL); 1 when a command fails or writes no 64-node cube; 2 for a usage or set-up error.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 VORN_LUT [RUNS]" >&2
  exit 2
fi
vorn=$(realpath "$1")
runs=${2:-15}
target_ratio=10

for tool in python3 hyperfine ociobakelut; do
  if ! command -v "$tool" >/dev/null; then
    echo "compare-peer: $tool is not installed (see scripts/install-deps.sh)" >&2
    exit 2
  fi
done
if [ ! -x "$vorn" ]; then
  echo "compare-peer: $vorn is missing or not executable; build it first" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-peer-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/vorn-out" "$work/peer-out"
input="$work/in.cube"

# The input: a 64-node grid of a smooth grade (saturation, per-channel gamma and lift),
# so every value carries six significant decimals.
python3 - "$input" <<'EOF'
import sys

size = 64
top = size - 1
lines = ['TITLE "compare-peer grade"', f"LUT_3D_SIZE {size}"]
for b in range(size):
    for g in range(size):
        for r in range(size):
            rgb = (r / top, g / top, b / top)
            luma = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2]
            out = []
            for c, gamma, lift in zip(rgb, (0.85, 0.95, 1.1), (0.012, 0.004, 0.021)):
                s = abs(luma + 1.3 * (c - luma))
                out.append(lift + (1 - lift) * s ** gamma)
            lines.append(" ".join(f"{v:.6f}" for v in out))
with open(sys.argv[1], "w", newline="\n") as f:
    f.write("\n".join(lines) + "\n")
EOF

vorn_cmd=("$vorn" convert --profile "Cube 3D Davinci" --size 64 --output-dir "$work/vorn-out"
  --overwrite "$input")
peer_cmd=(ociobakelut --lut "$input" --format resolve_cube --cubesize 64 "$work/peer-out/out.cube")

quote() { printf '%q ' "$@"; }

# One checked run of each first: a command that fails, or writes anything but a 64-node
# cube, ends the comparison before any timing.
check_run() {
  local name=$1 output=$2
  shift 2
  if ! "$@" >"$work/$name.log" 2>&1; then
    echo "compare-peer: the $name command failed: $(quote "$@")" >&2
    cat "$work/$name.log" >&2
    exit 1
  fi
  if ! grep -qE '^LUT_3D_SIZE[[:space:]]+64[[:space:]]*$' "$output" 2>/dev/null; then
    echo "compare-peer: the $name command wrote no 64-node cube to $output" >&2
    exit 1
  fi
  local nodes
  nodes=$(grep -cE '^[-+0-9.eE]+[[:space:]]+[-+0-9.eE]+[[:space:]]+[-+0-9.eE]+[[:space:]]*$' "$output")
  if [ "$nodes" -ne $((64 * 64 * 64)) ]; then
    echo "compare-peer: the $name output has $nodes value lines, not $((64 * 64 * 64))" >&2
    exit 1
  fi
}
check_run vorn-lut "$work/vorn-out/in.cube" "${vorn_cmd[@]}"
check_run ociobakelut "$work/peer-out/out.cube" "${peer_cmd[@]}"

echo "compare-peer: $runs runs each, input $(wc -c <"$input") bytes, 64 -> 64 nodes"
# Each timed run writes a new file: replacing an existing one costs vorn-lut an extra
# flush on ext4 (it writes a temporary file and renames it over the old one).
hyperfine --style basic --warmup 2 --runs "$runs" --export-json "$work/times.json" \
  --prepare "rm -f $(quote "$work/vorn-out/in.cube" "$work/peer-out/out.cube")" \
  -n vorn-lut "$(quote "${vorn_cmd[@]}")" \
  -n ociobakelut "$(quote "${peer_cmd[@]}")" >"$work/hyperfine.log" 2>&1 || {
  echo "compare-peer: hyperfine failed (a command failed during the timed runs)" >&2
  cat "$work/hyperfine.log" >&2
  exit 1
}

python3 - "$work/times.json" "$target_ratio" <<'EOF'
import json
import sys

results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
target = float(sys.argv[2])
vorn = results["vorn-lut"]["median"]
peer = results["ociobakelut"]["median"]
for name, median in (("vorn-lut", vorn), ("ociobakelut", peer)):
    times = results[name]["times"]
    user, system = results[name]["user"], results[name]["system"]
    print(f"{name:12} median {median * 1000:8.1f} ms   (min {min(times) * 1000:.1f},"
          f" max {max(times) * 1000:.1f}; mean user {user * 1000:.1f}, system"
          f" {system * 1000:.1f}; {len(times)} runs)")
print(f"ratio        ociobakelut / vorn-lut = {peer / vorn:.1f}x"
      f"   (target: at least {target:g}x, vorn-lut under {peer * 1000 / target:.1f} ms)")
# On a busy machine the wall times include waiting for a core; the CPU-time ratio is
# printed beside them for that case (the verdict stays on the wall-clock medians).
cpu = {n: results[n]["user"] + results[n]["system"] for n in results}
print(f"cpu ratio    ociobakelut / vorn-lut = {cpu['ociobakelut'] / cpu['vorn-lut']:.1f}x"
      f"   (mean user + system: {cpu['ociobakelut'] * 1000:.1f} ms vs"
      f" {cpu['vorn-lut'] * 1000:.1f} ms)")
verdict = "PASS" if vorn * target < peer else "FAIL"
print(verdict)
open(sys.argv[1] + ".verdict", "w").write(verdict)
EOF

verdict=$(cat "$work/times.json.verdict")
if [ "$verdict" = FAIL ] && [ "${VORN_PEER_STRICT:-0}" = 1 ]; then
  exit 3
fi
exit 0
