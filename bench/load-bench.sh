#!/usr/bin/env bash
# Load: a batch of COUNT small LUT files (every readable output profile in turn, written by
# the program itself) converted by `vorn-lut convert` and by the window's batch, headless.
# Prints the time and the peak resident size of each; vorn-lut runs on a tenth of the files
# and on all of them, the window samples its resident size every tenth of the batch, so
# growth per file shows (flat memory: none). vorn-lut converts all the files with --jobs 1
# and with --jobs 2, and the speedup of two jobs is printed (the window uses every core).
# Usage: load-bench.sh BUILD_DIR [COUNT]   (default 10000)
set -euo pipefail
build=$(realpath "${1:?usage: load-bench.sh BUILD_DIR [COUNT]}")
count=${2:-10000}
work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-load-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$build/bench/tools/vorn_make_luts" luts "$work/in" "$count" >/dev/null
mapfile -t files < <(find "$work/in" -type f | sort)
tenth=$((count / 10))

# Runs vorn-lut on the first FILE_COUNT files with JOBS jobs and samples its resident size
# every 50 ms while it converts. Prints "seconds peak_kb samples...".
run_cli() {
  rm -rf "$work/out" && mkdir -p "$work/out"
  /usr/bin/time -f "%e %M" -o "$work/time" "$build/cli/vorn-lut" convert --jobs "$2" \
    --profile "Cube 3D Davinci" --size 5 --output-dir "$work/out" "${files[@]:0:$1}" \
    >/dev/null &
  local timer=$! samples=() pid kb
  while kill -0 "$timer" 2>/dev/null; do
    pid=$(pgrep -n -P "$timer" 2>/dev/null || true)
    kb=$([ -n "$pid" ] && awk '/VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
    [ -n "$kb" ] && samples+=("$kb")
    sleep 0.05
  done
  wait "$timer"
  local written
  written=$(find "$work/out" -type f | wc -l)
  [ "$written" -eq "$1" ] || { echo "load-bench: vorn-lut wrote $written of $1 files" >&2; exit 1; }
  echo "$(cat "$work/time") ${samples[*]}"
}

# The file system slows the creation of files right after many were deleted: one job and two
# take turns twice, and the faster run of each counts.
read -r small_s small_kb _ < <(run_cli "$tenth" 2)
read -r one_s one_kb _ < <(run_cli "$count" 1)
read -r all_s all_kb samples < <(run_cli "$count" 2)
read -r again_one_s _ < <(run_cli "$count" 1)
read -r again_all_s _ < <(run_cli "$count" 2)
one_s=$(python3 -c "print(min($one_s, $again_one_s))")
all_s=$(python3 -c "print(min($all_s, $again_all_s))")
echo "vorn-lut convert --jobs 2: $tenth files in ${small_s} s, peak ${small_kb} KB;" \
  "$count files in ${all_s} s, peak ${all_kb} KB"
echo "vorn-lut convert --jobs 1: $count files in ${one_s} s, peak ${one_kb} KB"
python3 - "$small_kb" "$all_kb" "$tenth" "$count" "$one_s" "$all_s" $samples <<'PY'
import sys
small, large, tenth, count = map(int, sys.argv[1:5])
one_job, two_jobs = map(float, sys.argv[5:7])
samples = [int(s) for s in sys.argv[7:] if s]
if two_jobs > 0:
    print(f"vorn-lut convert: 2 jobs are {one_job / two_jobs:.2f} times as fast as 1"
          f" ({one_job:.2f} s and {two_jobs:.2f} s for {count} files)")
print(f"vorn-lut convert: peak grows {(large - small) / (count - tenth):.3f} KB per file listed"
      f" (the file list and the collision check, made before converting)")
if len(samples) >= 4:
    settled = samples[len(samples) // 4:]
    print(f"vorn-lut convert: resident sampled {len(samples)} times every 50 ms: first"
          f" {samples[0]} KB, then {min(settled)} to {max(settled)} KB from the first quarter"
          f" on, last {samples[-1]} KB")
PY

if [ -x "$build/bench/ui/vorn_ui_load" ]; then
  rm -rf "$work/out" && mkdir -p "$work/out"
  QT_QPA_PLATFORM=offscreen "$build/bench/ui/vorn_ui_load" "$work/in" "$work/out" 2>/dev/null
else
  echo "load-bench: no window build (bench/ui/vorn_ui_load); the window's batch is not measured"
fi
