#!/usr/bin/env bash
# The long fuzzing run: every libFuzzer target of the fuzz build (fuzz/fuzz_*) in turn, the
# total time shared equally, each from its own seeds plus the real files of the shared
# corpus. The grown corpora stay in FUZZ_BUILD/corpus-TARGET for the next run. Prints, and
# writes to FUZZ_BUILD/fuzz-long-summary.txt, one line per target: seconds, executions,
# executions per second, coverage, corpus size and findings. Fails when any target finds
# anything (reproducing inputs are copied to FUZZ_BUILD/artifacts).
# Usage: long.sh FUZZ_BUILD_DIR [MINUTES]   (default 30)
set -euo pipefail
build=$(realpath "${1:?usage: long.sh FUZZ_BUILD_DIR [MINUTES]}")
minutes=${2:-30}
here=$(cd "$(dirname "$0")" && pwd)
corpus="$here/../../shared/corpus"
mapfile -t targets < <(find "$build/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort)
if [ ${#targets[@]} -eq 0 ]; then
  echo "long: no fuzz targets in $build/fuzz" >&2
  exit 2
fi
seconds=$((minutes * 60 / ${#targets[@]}))
summary="$build/fuzz-long-summary.txt"
printf '%-16s %8s %12s %8s %8s %8s  %s\n' target seconds executions exec/s cov corpus result \
  | tee "$summary"
failed=0
for fuzzer in "${targets[@]}"; do
  name=$(basename "$fuzzer")
  seeds="$build/seeds-$name"
  bash "$here/make-seeds.sh" "${name#fuzz_}" "$build" "$seeds" >/dev/null
  dirs=("$seeds")
  [ -d "$corpus" ] && dirs+=("$corpus")
  mkdir -p "$build/corpus-$name"
  log="$build/fuzz-long-$name.log"
  result=PASS
  FUZZ_CORPUS_DIR="$build/corpus-$name" FUZZ_ARTIFACT_DIR="$build/artifacts" \
    bash "$here/smoke.sh" "$fuzzer" "$seconds" "${dirs[@]}" >"$log" 2>&1 || { result=FAIL; failed=1; }
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n1 || true)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n1)
  cov=$(echo "$done_line" | sed -n 's/.*cov: \([0-9]*\).*/\1/p')
  corp=$(echo "$done_line" | sed -n 's/.*corp: \([0-9]*\).*/\1/p')
  printf '%-16s %8s %12s %8s %8s %8s  %s\n' "$name" "$seconds" "${execs:-?}" "${rate:-?}" \
    "${cov:-?}" "${corp:-?}" "$result" | tee -a "$summary"
done
exit $failed
