#!/usr/bin/env bash
# Times vorn-lut against OpenColorIO's ociobakelut on the same job: a 64-node Cube file
# converted to a 64-node Resolve-style Cube file. Both whole processes are timed with
# hyperfine; the script prints both medians side by side, their CPU times, the ratio
# vorn-lut / ociobakelut and PASS when it is at most 0.045, FAIL otherwise. On a busy machine
# wall times wander; when Valgrind is installed the instructions each program executes
# (callgrind) are printed too, and those repeat exactly.
# vorn-lut runs about thirty times as briefly: it is timed VORN_SHARE times as often, half of
# its runs before ociobakelut's and half after, so that both medians span seconds of the
# machine's life. Timed in one block of a second, a passing slowdown of the machine (the
# disk's write-back on the second core, which only vorn-lut uses) moved its median by half.
#
# Usage: compare-peer.sh VORN_LUT [RUNS]   (default 15 runs of ociobakelut; VORN_SHARE,
# default 10, times as many of vorn-lut)
# Exit status: 0 after a PASS or a FAIL verdict (set VORN_PEER_STRICT=1 to exit 3 on
# FAIL); 1 when a command fails or writes no 64-node cube; 2 for a usage or set-up error.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 VORN_LUT [RUNS]" >&2
  exit 2
fi
vorn=$(realpath "$1")
runs=${2:-15}
target_ratio=0.045

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
python3 "$(dirname "$0")/make-grade-cube.py" 64 "$input" "compare-peer grade"

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

share=${VORN_SHARE:-10}
vorn_runs=$(((runs * share + 1) / 2))
echo "compare-peer: $runs runs of ociobakelut and $((2 * vorn_runs)) of vorn-lut," \
  "input $(wc -c <"$input") bytes, 64 -> 64 nodes"
# Each timed run writes a new file: replacing an existing one costs vorn-lut an extra
# flush on ext4 (it writes a temporary file and renames it over the old one).
time_block() {
  local json=$1 name=$2 count=$3
  shift 3
  hyperfine --style basic --warmup 2 --runs "$count" --export-json "$json" \
    --prepare "rm -f $(quote "$work/vorn-out/in.cube" "$work/peer-out/out.cube")" \
    -n "$name" "$(quote "$@")" >>"$work/hyperfine.log" 2>&1 || {
    echo "compare-peer: hyperfine failed (a command failed during the timed runs)" >&2
    cat "$work/hyperfine.log" >&2
    exit 1
  }
}
time_block "$work/vorn-before.json" vorn-lut "$vorn_runs" "${vorn_cmd[@]}"
time_block "$work/peer.json" ociobakelut "$runs" "${peer_cmd[@]}"
time_block "$work/vorn-after.json" vorn-lut "$vorn_runs" "${vorn_cmd[@]}"
# One result per program, as one hyperfine run of both would give it.
python3 - "$work" <<'EOF'
import json
import statistics
import sys

work = sys.argv[1]
blocks = [json.load(open(f"{work}/{name}.json"))["results"][0]
          for name in ("vorn-before", "vorn-after")]
times = blocks[0]["times"] + blocks[1]["times"]
vorn = {"command": "vorn-lut", "times": times, "median": statistics.median(times),
        "user": statistics.mean(b["user"] for b in blocks),
        "system": statistics.mean(b["system"] for b in blocks)}
peer = json.load(open(f"{work}/peer.json"))["results"][0]
json.dump({"results": [vorn, peer]}, open(f"{work}/times.json", "w"))
EOF

# Instructions executed, when Valgrind is there: repeatable where times are not.
instructions() {
  rm -f "$work/vorn-out/in.cube" "$work/peer-out/out.cube"
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null \
    | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
vorn_ir=0
peer_ir=0
if command -v valgrind >/dev/null; then
  vorn_ir=$(instructions "${vorn_cmd[@]}")
  peer_ir=$(instructions "${peer_cmd[@]}")
fi

python3 - "$work/times.json" "$target_ratio" "${vorn_ir:-0}" "${peer_ir:-0}" <<'EOF'
import json
import sys

results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
target = float(sys.argv[2])
vorn_ir, peer_ir = int(sys.argv[3] or 0), int(sys.argv[4] or 0)
vorn = results["vorn-lut"]["median"]
peer = results["ociobakelut"]["median"]
cpu = {n: results[n]["user"] + results[n]["system"] for n in results}
print(f"{'':12} {'median wall':>12} {'min wall':>10} {'mean cpu':>10} {'instructions':>16}")
for name, ir in (("vorn-lut", vorn_ir), ("ociobakelut", peer_ir)):
    times = results[name]["times"]
    print(f"{name:12} {results[name]['median'] * 1000:9.1f} ms {min(times) * 1000:7.1f} ms"
          f" {cpu[name] * 1000:7.1f} ms {ir:16,}")
print(f"{'ratio':12} {vorn / peer:12.3f} {min(results['vorn-lut']['times']) / min(results['ociobakelut']['times']):10.3f}"
      f" {cpu['vorn-lut'] / cpu['ociobakelut']:10.3f}"
      f" {(vorn_ir / peer_ir if peer_ir else 0):16.3f}")
print(f"target: vorn-lut / ociobakelut at most {target:g} on the median wall time"
      f" (vorn-lut under {peer * 1000 * target:.1f} ms)")
if peer_ir:
    # Instructions repeat exactly where wall times wander: the figure to trust on a busy
    # machine. The verdict below stays the wall time's.
    within = "within" if vorn_ir <= target * peer_ir else "above"
    print(f"instructions: vorn-lut / ociobakelut {vorn_ir / peer_ir:.3f}, {within} {target:g}")
verdict = "PASS" if vorn <= target * peer else "FAIL"
print(verdict)
open(sys.argv[1] + ".verdict", "w").write(verdict)
EOF

verdict=$(cat "$work/times.json.verdict")
if [ "$verdict" = FAIL ] && [ "${VORN_PEER_STRICT:-0}" = 1 ]; then
  exit 3
fi
exit 0
