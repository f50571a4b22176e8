#!/usr/bin/env bash
# Installs the library and its development files into a temporary prefix, builds the
# example (examples/) against them with find_package and, separately, with the compiler
# and pkg-config alone, and runs both builds: each describes a LUT made here and writes it
# through another profile, which vorn-lut reads back with the same values; a file that is
# no LUT is reported through the library's exception, caught by type in the example.
#   tests/library/check-example.sh BUILD_DIR SOURCE_DIR VORN_LUT CXX
set -euo pipefail

build=$1
source=$2
vorn_lut=$3
cxx=$4
work=$(mktemp -d /tmp/vorn-example-XXXXXX)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "example test: $*" >&2
  exit 1
}

prefix="$work/prefix"
for component in library development; do
  cmake --install "$build" --prefix "$prefix" --component $component >/dev/null
done
libdir=$(dirname "$(find "$prefix" -name 'libvornlut.so.*' -type f)")
export LD_LIBRARY_PATH="$libdir"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$source/examples" -B "$work/cmake" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_PREFIX_PATH="$prefix" "${launcher[@]}" \
  >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "configuring the example"; }
cmake --build "$work/cmake" >"$work/build.log" 2>&1 ||
  { cat "$work/build.log"; fail "building the example with find_package"; }

pc_file=$(find "$prefix" -name vornlut.pc)
[ -n "$pc_file" ] || fail "no vornlut.pc installed"
export PKG_CONFIG_PATH
PKG_CONFIG_PATH=$(dirname "$pc_file")
# shellcheck disable=SC2046 # the flags are words
"$cxx" -std=c++20 -Wall -Wextra -Werror -o "$work/describe-lut-pc" \
  "$source/examples/DescribeLut.cpp" $(pkg-config --cflags --libs vornlut) ||
  fail "building the example with pkg-config"

# The library the programs run with is the installed one.
for program in "$work/cmake/describe-lut" "$work/describe-lut-pc"; do
  ldd "$program" >"$work/ldd.txt"
  grep -qF "$libdir/libvornlut.so.0" "$work/ldd.txt" || { cat "$work/ldd.txt"; fail "$program does not use $libdir"; }
done

cat >"$work/grade.cube" <<'CUBE'
TITLE "warm grade"
# made by the example test
LUT_3D_SIZE 2
0.05 0.02 0.01
0.93 0.1 0.04
0.08 0.88 0.07
0.9 0.86 0.12
0.06 0.05 0.81
0.89 0.11 0.84
0.1 0.9 0.79
0.97 0.95 0.91
CUBE
cat >"$work/curve.cube" <<'CUBE'
LUT_1D_SIZE 4
0 0.01 0.02
0.4 0.3 0.31
0.7 0.66 0.6
1 0.98 0.95
CUBE
printf 'just some words\n' >"$work/notes.txt"

# The values of a LUT as vorn-lut reads them: "r g b R G B" per node, "i R G B" per entry.
values() { "$vorn_lut" info --values "$1" | grep -E '^[0-9]+ '; }

# program, source, profile, output, expected description lines
check_case() {
  local program=$1 lut=$2 profile=$3 output=$4
  shift 4
  "$program" "$work/$lut" "$profile" "$work/$output" >"$work/out.txt" ||
    fail "$(basename "$program") $lut \"$profile\" failed"
  for line in "$@" "Written: $work/$output ($profile)"; do
    grep -qxF "$line" "$work/out.txt" || { cat "$work/out.txt"; fail "$lut: no line \"$line\""; }
  done
  paste -d ' ' <(values "$work/$lut") <(values "$work/$output") >"$work/pairs.txt"
  [ -s "$work/pairs.txt" ] || fail "$lut: no values"
  awk -v lut="$lut" '{
      half = NF / 2
      for (i = 1; i <= half; ++i) {
        d = $i - $(i + half); if (d < 0) d = -d
        if (d > 1e-6) { print lut ": " $0; bad = 1 }
      }
    } END { exit bad }' "$work/pairs.txt" || fail "$output does not hold the values of $lut"
}

for program in "$work/cmake/describe-lut" "$work/describe-lut-pc"; do
  check_case "$program" grade.cube "Imageworks spi3d" grade.spi3d "Format: Cube 3D" \
    "Kind: 3D" "Nodes per axis: 2" "Comment: made by the example test"
  check_case "$program" curve.cube "Imageworks spi1d" curve.spi1d "Format: Cube 1D" \
    "Kind: 1D" "Entries: 4"

  status=0
  "$program" "$work/notes.txt" "Imageworks spi1d" "$work/notes.spi1d" 2>"$work/err.txt" ||
    status=$?
  [ $status -eq 1 ] || fail "a file that is no LUT ends with status $status, not 1"
  grep -q "is not a LUT file of any known format" "$work/err.txt" ||
    { cat "$work/err.txt"; fail "a file that is no LUT is not reported"; }
done
echo "example test: passed"
