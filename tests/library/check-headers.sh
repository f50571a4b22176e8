#!/usr/bin/env bash
# Installs the development files into a temporary prefix and compiles each installed header
# alone, with nothing but the prefix on the include path; every installed header must be
# one that vornlut/VornLut.h includes.
#   tests/library/check-headers.sh BUILD_DIR CXX
set -euo pipefail

build=$1
cxx=$2
work=$(mktemp -d /tmp/vorn-headers-XXXXXX)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "header test: $*" >&2
  exit 1
}

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" --component development >/dev/null
include="$prefix/include"
mapfile -t headers < <(cd "$include" && find vornlut -name '*.h' | sort)
[ ${#headers[@]} -gt 0 ] || fail "no headers installed under $include/vornlut"

flags=(-std=c++20 -Wall -Wextra -Wpedantic -Werror -I "$include")
for header in "${headers[@]}"; do
  echo "#include <$header>" | "$cxx" "${flags[@]}" -fsyntax-only -x c++ - ||
    fail "$header does not compile alone"
done

echo "#include <vornlut/VornLut.h>" | "$cxx" "${flags[@]}" -M -x c++ - |
  tr ' \\' '\n\n' >"$work/depends.txt"
for header in "${headers[@]}"; do
  grep -qxF "$include/$header" "$work/depends.txt" ||
    fail "$header is installed but vornlut/VornLut.h does not include it"
done
echo "header test: ${#headers[@]} headers compile alone"
