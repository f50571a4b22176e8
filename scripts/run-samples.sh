#!/usr/bin/env bash
# Shows what vorn-lut makes of the sample LUTs and converts them to two output profiles.
# Usage: bash scripts/run-samples.sh BUILD_DIR   (what `make run` calls)
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build_dir=$1
root=$(cd "$(dirname "$0")/.." && pwd)
cli="$build_dir/cli/vorn-lut"
samples="$root/assets/samples"
out="$build_dir/samples-out"

if [ ! -x "$cli" ]; then
  echo "$0: $cli not found; build it first (make build)" >&2
  exit 1
fi

mapfile -t files < <(find "$samples" -maxdepth 1 -type f ! -name '*.md' | sort)
if [ ${#files[@]} -eq 0 ]; then
  echo "$0: no sample LUTs in $samples (python3 scripts/make-samples.py writes them)" >&2
  exit 1
fi

echo "== vorn-lut info on ${#files[@]} sample LUTs"
"$cli" info "${files[@]}"

# Profile name, then the extra options for it, then the folder under samples-out.
convert_to() {
  local profile=$1 folder=$2
  shift 2
  mkdir -p "$out/$folder"
  echo "== convert to \"$profile\" into $out/$folder"
  "$cli" convert --profile "$profile" "$@" --output-dir "$out/$folder" --overwrite "${files[@]}" |
    while IFS=$'\t' read -r status source destination; do
      printf '%s %s -> %s\n' "$status" "${source#"$root"/}" "$destination"
    done
}

convert_to "Cube 3D Davinci" davinci-cube-65 --size 65
convert_to "Panasonic 3D vlt, Varicam" panasonic-vlt

echo "== the converted files"
"$cli" info "$out"/davinci-cube-65/* "$out"/panasonic-vlt/* | grep -E '^(File|Format|Type|Dimension):'
