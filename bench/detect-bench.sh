#!/usr/bin/env bash
# Detection: `vorn-lut info` on 1,000 small files of mixed formats (every readable output
# profile in turn, written by the program itself, and every tenth file of no format, for
# which every registered format is asked), whole process, timed with hyperfine. Target:
# under 1 second.
# Usage: detect-bench.sh BUILD_DIR [RUNS]   (default 10)
set -euo pipefail
build=$(realpath "${1:?usage: detect-bench.sh BUILD_DIR [RUNS]}")
runs=${2:-10}
command -v hyperfine >/dev/null || { echo "detect-bench: hyperfine is not installed" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-detect-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$build/bench/tools/vorn_make_luts" mixed "$work/in" 1000 >/dev/null
formats=$(("$("$build/cli/vorn-lut" formats | wc -l)" - 1))
printf '%q ' "$build/cli/vorn-lut" info "$work"/in/* >"$work/command"
hyperfine --style basic --warmup 1 --runs "$runs" --export-json "$work/times.json" \
  -n "vorn-lut info (1,000 files)" "$(cat "$work/command") >/dev/null" >/dev/null
python3 - "$work/times.json" "$formats" <<'PY'
import json, sys
result = json.load(open(sys.argv[1]))["results"][0]
median, user, system = result["median"], result["user"], result["system"]
print(f"detect 1,000 files, {sys.argv[2]} formats registered: median {median * 1000:.1f} ms"
      f" (user {user * 1000:.1f}, system {system * 1000:.1f})  target < 1000 ms"
      f"  {'ok' if median < 1 else 'SLOW'}")
PY
