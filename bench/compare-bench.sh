#!/usr/bin/env bash
# Times "vorn-lut compare" on two 64-node Cube files (two smooth grades that differ a
# little in every channel), whole process, with hyperfine. Prints the median wall time,
# the CPU time and PASS when the median is under 0.2 s, FAIL otherwise.
#
# Usage: compare-bench.sh VORN_LUT [RUNS]   (default 20 runs)
# Exit status: 0 after a verdict (VORN_BENCH_STRICT=1: 3 on FAIL); 1 when the command
# fails; 2 for a usage or set-up error.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 VORN_LUT [RUNS]" >&2
  exit 2
fi
vorn=$(realpath "$1")
runs=${2:-20}
target_ms=200

for tool in python3 hyperfine; do
  if ! command -v "$tool" >/dev/null; then
    echo "compare-bench: $tool is not installed (see scripts/install-deps.sh)" >&2
    exit 2
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-compare-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'EOF'
import sys

size = 64
top = size - 1
for name, gammas in (("first.cube", (0.85, 0.95, 1.1)), ("second.cube", (0.86, 0.94, 1.08))):
    lines = [f'TITLE "compare-bench {name}"', f"LUT_3D_SIZE {size}"]
    for b in range(size):
        for g in range(size):
            for r in range(size):
                rgb = (r / top, g / top, b / top)
                luma = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2]
                out = [0.01 + 0.98 * abs(luma + 1.3 * (c - luma)) ** gamma
                       for c, gamma in zip(rgb, gammas)]
                lines.append(" ".join(f"{v:.6f}" for v in out))
    with open(f"{sys.argv[1]}/{name}", "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
EOF

cmd=("$vorn" compare "$work/first.cube" "$work/second.cube")
if ! "${cmd[@]}" >"$work/compare.txt" 2>&1; then
  echo "compare-bench: the command failed: ${cmd[*]}" >&2
  cat "$work/compare.txt" >&2
  exit 1
fi
grep -E '^(Inputs|Overall|Largest colour)' "$work/compare.txt"

hyperfine --style basic --warmup 2 --runs "$runs" --export-json "$work/times.json" \
  -n compare "$(printf '%q ' "${cmd[@]}")" >"$work/hyperfine.log" 2>&1 || {
  echo "compare-bench: hyperfine failed" >&2
  cat "$work/hyperfine.log" >&2
  exit 1
}

python3 - "$work/times.json" "$target_ms" <<'EOF'
import json
import sys

result = json.load(open(sys.argv[1]))["results"][0]
target = float(sys.argv[2]) / 1000
median = result["median"]
print(f"compare 64 x 64 nodes: median {median * 1000:.1f} ms (min {min(result['times']) * 1000:.1f},"
      f" max {max(result['times']) * 1000:.1f}; mean user {result['user'] * 1000:.1f},"
      f" system {result['system'] * 1000:.1f}; {len(result['times'])} runs)"
      f"   target: under {target * 1000:.0f} ms whole process")
verdict = "PASS" if median < target else "FAIL"
print(verdict)
open(sys.argv[1] + ".verdict", "w").write(verdict)
EOF

if [ "$(cat "$work/times.json.verdict")" = FAIL ] && [ "${VORN_BENCH_STRICT:-0}" = 1 ]; then
  exit 3
fi
