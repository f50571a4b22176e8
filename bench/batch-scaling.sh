#!/usr/bin/env bash
# Batch scaling: COUNT copies of a 5-node cube converted by `vorn-lut convert` to another
# text profile with --jobs 1 and --jobs 2, RUNS times each in turn, in each FOLDER (default:
# a tmpfs folder and one on the work disk). Prints, per folder and job count, the median
# wall time, the CPU time (user + system) and the context switches per file (its own waits,
# and preemptions by other programs), the peak resident size, and the speedup of 2 jobs
# (ratio of the median wall times; target 1.7).
# CPU time and context switches are the figures to trust on a busy machine: the wall times
# then measure the wait for a core as much as the batch.
# Usage: batch-scaling.sh BUILD_DIR [COUNT] [RUNS] [FOLDER...]   (default 10000 5)
# VORN_LUT=PATH measures another build of vorn-lut (an earlier one, to compare).
set -euo pipefail
build=$(realpath "${1:?usage: batch-scaling.sh BUILD_DIR [COUNT] [RUNS] [FOLDER...]}")
count=${2:-10000}
runs=${3:-5}
shift $(($# < 3 ? $# : 3))
folders=("$@")
program=${VORN_LUT:-$build/cli/vorn-lut}
[ ${#folders[@]} -gt 0 ] || folders=(/dev/shm "${TMPDIR:-/tmp}")

one_folder() {
  local work
  work=$(mktemp -d "$1/vorn-scaling-XXXXXX")
  trap 'rm -rf "$work"' RETURN
  mkdir -p "$work/in"
  python3 - "$work/in" "$count" <<'PY'
import sys
folder, count, n = sys.argv[1], int(sys.argv[2]), 5
lines = ["TITLE \"scaling\"", f"LUT_3D_SIZE {n}"]
for b in range(n):
    for g in range(n):
        for r in range(n):
            lines.append(f"{(r / 4) ** 1.1:.6f} {g / 4:.6f} {(b / 4) ** 0.9:.6f}")
text = "\n".join(lines) + "\n"
for i in range(count):
    with open(f"{folder}/lut-{i:05}.cube", "w") as out:
        out.write(text)
PY
  local results="$work/results"
  for ((run = 0; run < runs; ++run)); do
    for jobs in 1 2; do
      rm -rf "$work/out" && mkdir "$work/out"
      /usr/bin/time -f "$jobs %e %U %S %w %c %M" -a -o "$results" "$program" \
        convert --jobs "$jobs" --profile "Cube 3D Davinci" --size 5 \
        --output-dir "$work/out" "$work/in" >/dev/null 2>"$work/errors"
      local written
      written=$(find "$work/out" -type f | wc -l)
      [ "$written" -eq "$count" ] || { echo "batch-scaling: wrote $written of $count" >&2; exit 1; }
    done
  done
  python3 - "$1" "$count" "$results" <<'PY'
import statistics, sys
folder, count, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
rows = {1: [], 2: []}
for line in open(path):
    jobs, wall, user, system, voluntary, involuntary, peak = line.split()
    rows[int(jobs)].append((float(wall), float(user) + float(system), int(voluntary),
                            int(involuntary), int(peak)))
median = {}
for jobs, runs in rows.items():
    walls = [r[0] for r in runs]
    median[jobs] = statistics.median(walls)
    cpu = statistics.median(r[1] for r in runs) / count * 1e6
    waits = statistics.median(r[2] for r in runs) / count
    preempted = statistics.median(r[3] for r in runs) / count
    print(f"{folder}: --jobs {jobs}: {count} files, wall median {median[jobs]:.2f} s"
          f" ({min(walls):.2f} to {max(walls):.2f}), CPU {cpu:.0f} us a file, context"
          f" switches a file {waits:.2f} waiting and {preempted:.2f} preempted,"
          f" peak {max(r[4] for r in runs)} KB")
ratios = [a[0] / b[0] for a, b in zip(rows[1], rows[2])]
print(f"{folder}: 2 jobs are {median[1] / median[2]:.2f} times as fast as 1 (medians; runs in"
      f" turn {', '.join(f'{r:.2f}' for r in ratios)}); target at least 1.70")
PY
}

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for folder in "${folders[@]}"; do one_folder "$folder"; done
