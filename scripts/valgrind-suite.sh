#!/usr/bin/env bash
# The test suite without the window's tests under Valgrind memcheck: every test program of
# the build (and the vorn-lut processes the command-line tests start) must run without an
# invalid access, a use of uninitialised memory or a leak. Prints one line per program and
# a summary; exits 1 when any program reports an error. The command-line tests, which start
# hundreds of processes, run beside the other programs, which run one after another.
# Usage: valgrind-suite.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:?usage: valgrind-suite.sh BUILD_DIR}")
command -v valgrind >/dev/null || { echo "valgrind-suite: valgrind is not installed" >&2; exit 2; }
logs="$build/valgrind"
rm -rf "$logs" && mkdir -p "$logs"
programs=()
for name in platform core formats imaging codecs cli; do
  [ -x "$build/tests/${name}_tests" ] && programs+=("$build/tests/${name}_tests")
done
# The shell, setpriv and the peer programs that some tests start (OpenColorIO, LittleCMS's
# and ArgyllCMS's tools, ImageMagick, FFmpeg, xmllint, the picture libraries' tools) are not
# ours to check; vorn-lut is.
skip='*/sh,*/setpriv,*/ociobakelut,*/ociochecklut,*/transicc,*/icclu,*/iccdump,*/convert'
skip+=',*/magick,*/identify,*/ffmpeg,*/xmllint,*/tiffinfo,*/tiffdump,*/djpeg,*/jpeginfo'
skip+=',*/pngcheck,*/python3*'
skip+=',*/tificc,*/bash'
export VORN_UNDER_VALGRIND=1  # tests that measure memory or limit address space skip
start=$(date +%s)

# Runs one program under memcheck and writes its result line to $logs/NAME.result.
check() {
  local program=$1 name t0 result errors processes tests
  name=$(basename "$program")
  t0=$(date +%s)
  if valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
      --errors-for-leak-kinds=definite,indirect --show-leak-kinds=definite,indirect \
      --track-origins=yes --trace-children=yes --trace-children-skip="$skip" \
      --log-file="$logs/$name.%p.log" "$program" >"$logs/$name.out" 2>&1; then
    result=ok
  else
    result="FAILED (status $?)"
  fi
  errors=$(grep -h "ERROR SUMMARY" "$logs/$name".*.log | awk '{s += $4} END {print s + 0}')
  processes=$(ls "$logs/$name".*.log | wc -l)
  tests=$(grep -Eo '\[==========\] [0-9]+ tests' "$logs/$name.out" | tail -n1 | awk '{print $2}')
  printf '%-16s %4s tests %4s processes %3s errors %5ss  %s\n' "$name" "${tests:-?}" \
    "$processes" "$errors" "$(($(date +%s) - t0))" "$result" >"$logs/$name.result"
}

others=()
for program in "${programs[@]}"; do
  if [ "$(basename "$program")" = cli_tests ]; then
    check "$program" &
  else
    others+=("$program")
  fi
done
for program in "${others[@]}"; do check "$program"; done
wait
status=0
for program in "${programs[@]}"; do
  line=$(cat "$logs/$(basename "$program").result")
  echo "$line"
  case "$line" in *FAILED*) status=1 ;; esac
done
echo "valgrind-suite: $(($(date +%s) - start)) s in all; logs in $logs"
exit $status
