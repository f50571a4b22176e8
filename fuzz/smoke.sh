#!/usr/bin/env bash
# Runs a libFuzzer target for a short while from the seed corpus and fails when it finds
# anything: a crash, a leak, a timeout, an out-of-memory or a sanitizer report.
#
# Usage: smoke.sh FUZZER [SECONDS [SEEDS [DICTIONARY]]]   (default 60 seconds, fuzz/seeds)
# Inputs that fail are copied to $FUZZ_ARTIFACT_DIR (default: artifacts/ beside the fuzzer).
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 FUZZER [SECONDS]" >&2
  exit 2
fi
fuzzer=$(realpath "$1")
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
seeds="${3:-$here/seeds}"
dictionary=()
if [ $# -ge 4 ]; then dictionary=("-dict=$4"); fi

if [ ! -x "$fuzzer" ]; then
  echo "smoke: fuzzer $fuzzer is missing or not executable" >&2
  exit 2
fi
if [ $# -lt 3 ] && { [ ! -d "$seeds" ] || [ -z "$(ls -A "$seeds")" ]; }; then
  python3 "$here/make-seeds.py" "$seeds"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-fuzz-smoke-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/artifacts" "$work/tmp"
log="$work/fuzz.log"
# The target writes every input under some thirty names; a memory file system makes that
# much cheaper than a disk one.
inputs_dir="$work/tmp"
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  inputs_dir=$(mktemp -d /dev/shm/vorn-fuzz-inputs-XXXXXX)
  trap 'rm -rf "$work" "$inputs_dir"' EXIT
fi

echo "smoke: running $(basename "$fuzzer") for ${seconds}s (seeds: $seeds)"
status=0
# New inputs go to the scratch corpus (the first folder); the seed folder is only read.
TMPDIR="$inputs_dir" \
  ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0" \
  UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
  "$fuzzer" \
  -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/artifacts/" "${dictionary[@]}" \
  "$work/corpus" "$seeds" >"$log" 2>&1 || status=$?

# Coverage at start-up and at the end, and libFuzzer's closing statistics.
grep -m1 -E '^#[0-9]+[[:space:]]+INITED' "$log" || true
grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n1 || true
grep -E '^stat::' "$log" || true

problems=()
[ "$status" -eq 0 ] || problems+=("the fuzzer exited with status $status")
artifacts=$(find "$work/artifacts" -type f \( -name 'crash-*' -o -name 'leak-*' \
  -o -name 'timeout-*' -o -name 'oom-*' \) | sort)
[ -z "$artifacts" ] || problems+=("artifacts were written")
if grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log"; then
  problems+=("a sanitizer or libFuzzer reported an error")
fi

if [ ${#problems[@]} -eq 0 ]; then
  echo "smoke: PASS, no crash, leak, hang or sanitizer report"
  exit 0
fi

(IFS=";"; echo "smoke: FAIL: ${problems[*]}" | sed "s/;/; /g") >&2
saved="${FUZZ_ARTIFACT_DIR:-$(dirname "$fuzzer")/artifacts}"
if [ -n "$artifacts" ]; then
  mkdir -p "$saved"
  cp $artifacts "$saved/"
  echo "smoke: reproducing inputs copied to $saved:" >&2
  ls -l "$saved" >&2
fi
echo "---- last 60 lines of the fuzzer's output ----" >&2
tail -n 60 "$log" >&2
exit 1
