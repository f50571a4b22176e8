#!/usr/bin/env bash
# Runs a libFuzzer target for a while from its seed folders and fails when it finds
# anything: a crash, a leak, a timeout, an out-of-memory or a sanitizer report.
#
# Usage: smoke.sh FUZZER SECONDS SEED_FOLDER...   (fuzz/make-seeds.sh writes the seeds)
# New inputs go to a scratch corpus, or to $FUZZ_CORPUS_DIR to keep them for the next run;
# the seed folders are only read. Inputs that fail are copied to $FUZZ_ARTIFACT_DIR
# (default: artifacts/ beside the fuzzer). A libFuzzer dictionary named after the target
# (fuzz/xml.dict for fuzz_xml) is used when there is one.
set -euo pipefail

if [ $# -lt 3 ]; then
  echo "usage: $0 FUZZER SECONDS SEED_FOLDER..." >&2
  exit 2
fi
fuzzer=$(realpath "$1")
seconds=$2
shift 2
seeds=("$@")
here=$(cd "$(dirname "$0")" && pwd)
dictionary=()
name=$(basename "$fuzzer")
if [ -f "$here/${name#fuzz_}.dict" ]; then dictionary=("-dict=$here/${name#fuzz_}.dict"); fi
# Inputs up to 8 KiB reach every LUT reader's paths; ICC profiles with their tables are
# larger (a profile our writer makes from a small LUT has some 300 KB).
max_len=8192
[ "$name" = fuzz_icc ] && max_len=400000

if [ ! -x "$fuzzer" ]; then
  echo "smoke: fuzzer $fuzzer is missing or not executable" >&2
  exit 2
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-fuzz-smoke-XXXXXX")
trap 'rm -rf "$work"' EXIT
corpus="${FUZZ_CORPUS_DIR:-$work/corpus}"
mkdir -p "$corpus" "$work/artifacts" "$work/tmp"
log="$work/fuzz.log"
# The LUT target writes every input once and loads it under some forty names; a memory
# file system makes that cheaper than a disk one.
inputs_dir="$work/tmp"
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  inputs_dir=$(mktemp -d /dev/shm/vorn-fuzz-inputs-XXXXXX)
  trap 'rm -rf "$work" "$inputs_dir"' EXIT
fi

echo "smoke: running $(basename "$fuzzer") for ${seconds}s (seeds: ${seeds[*]})"
status=0
# New inputs go to the scratch corpus (the first folder); the seed folder is only read.
TMPDIR="$inputs_dir" \
  ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0" \
  UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
  "$fuzzer" \
  -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/artifacts/" "${dictionary[@]}" \
  "$corpus" "${seeds[@]}" >"$log" 2>&1 || status=$?

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
