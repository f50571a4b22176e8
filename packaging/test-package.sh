#!/usr/bin/env bash
# Builds the Debian packages into a temporary folder: the programs' package, which it lints,
# unpacks with
# dpkg-deb -x and runs what it holds from there: vorn-lut --version, formats and a
# conversion; the window headless for a moment; the man pages through man -l; the bash
# completion in bash; the desktop, AppStream and MIME files through their validators. The
# library's packages (libvornlut0, libvornlut-dev) are linted and their contents and
# dependencies checked; so is the Python module's package (python3-vornlut) when the build
# has the module, which is also imported from the unpacked packages.
#   packaging/test-package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d /tmp/vorn-package-XXXXXX)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "package test: $*" >&2
  exit 1
}
step() { echo "== $*"; }

step "cpack -G DEB"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/out/vorn-lut-converter_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $work/out"
deb=${debs[0]}
all_debs=("$work"/out/*.deb)
python_debs=("$work"/out/python3-vornlut_*.deb)
expected_debs=3
[ -f "${python_debs[0]}" ] && expected_debs=4
[ ${#all_debs[@]} -eq $expected_debs ] ||
  fail "expected $expected_debs packages: the programs, the library, its headers (and the Python module)"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

step "control fields"
[ "$(dpkg-deb -f "$deb" Package)" = vorn-lut-converter ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Section)" = graphics ] || fail "section is not graphics"
version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Version: $version"
echo "Depends: $depends"
for library in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libpng16-16; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library (dpkg-shlibdeps should find it)"
done

step "apt-get install --simulate"
apt-get install --simulate "$deb" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; fail "the package's dependencies cannot be met"; }

step "lintian"
# Errors fail the test; so do warnings, each of which would need explaining in
# packaging/CMakeLists.txt. Lintian's informational tags are shown, not counted.
lintian --fail-on error,warning --display-info "$deb" || fail "lintian reports errors or warnings"

step "libvornlut0, libvornlut-dev"
library_deb=$(ls "$work"/out/libvornlut0_*.deb)
dev_deb=$(ls "$work"/out/libvornlut-dev_*.deb)
[ "$(dpkg-deb -f "$library_deb" Section)" = libs ] || fail "libvornlut0: section is not libs"
[ "$(dpkg-deb -f "$dev_deb" Section)" = libdevel ] || fail "libvornlut-dev: section is not libdevel"
[[ $(dpkg-deb -f "$dev_deb" Depends) == *"libvornlut0 (= $version)"* ]] ||
  fail "libvornlut-dev does not depend on libvornlut0 (= $version)"
[[ $(dpkg-deb -f "$deb" Depends) != *libvornlut* ]] ||
  fail "the programs depend on the library package; they link the layers statically"
dpkg-deb -c "$library_deb" >"$work/library.list"
dpkg-deb -c "$dev_deb" >"$work/dev.list"
grep -q "/usr/lib/.*libvornlut.so.0 -> " "$work/library.list" ||
  fail "libvornlut0 holds no libvornlut.so.0"
for file in include/vornlut/VornLut.h "lib/.*libvornlut.so -> " cmake/VornLut/VornLutConfig.cmake \
  pkgconfig/vornlut.pc; do
  grep -q "$file" "$work/dev.list" || fail "libvornlut-dev lacks $file"
done
apt-get install --simulate "$library_deb" "$dev_deb" >"$work/apt-library.log" 2>&1 ||
  { cat "$work/apt-library.log"; fail "the library packages' dependencies cannot be met"; }
lintian --fail-on error,warning --display-info "$library_deb" "$dev_deb" ||
  fail "lintian reports errors or warnings on the library packages"

if [ $expected_debs -eq 4 ]; then
  step "python3-vornlut"
  python_deb=${python_debs[0]}
  [ "$(dpkg-deb -f "$python_deb" Section)" = python ] || fail "python3-vornlut: section is not python"
  python_depends=$(dpkg-deb -f "$python_deb" Depends)
  echo "Depends: $python_depends"
  for wanted in "libvornlut0 (= $version)" python3-numpy "python3 (>= 3.11)" libc6 libstdc++6; do
    [[ $python_depends == *"$wanted"* ]] || fail "python3-vornlut does not depend on $wanted"
  done
  dpkg-deb -c "$python_deb" >"$work/python.list"
  grep -q "/usr/lib/python3/dist-packages/vornlut\.cpython-.*\.so$" "$work/python.list" ||
    fail "python3-vornlut holds no module in /usr/lib/python3/dist-packages"
  apt-get install --simulate "$library_deb" "$python_deb" >"$work/apt-python.log" 2>&1 ||
    { cat "$work/apt-python.log"; fail "python3-vornlut's dependencies cannot be met"; }
  lintian --fail-on error,warning --display-info "$python_deb" ||
    fail "lintian reports errors or warnings on python3-vornlut"
  python_root="$work/python-root"
  dpkg-deb -x "$library_deb" "$python_root"
  dpkg-deb -x "$python_deb" "$python_root"
  LD_LIBRARY_PATH=$(dirname "$(find "$python_root/usr/lib" -name 'libvornlut.so.0')") \
    PYTHONPATH="$python_root/usr/lib/python3/dist-packages" /usr/bin/python3 -c '
import sys, vornlut
assert vornlut.__version__ == sys.argv[1], vornlut.__version__
assert vornlut.read(sys.argv[2]).kind == "3D"' "$version" "$source/assets/samples/warm-look.cube" ||
    fail "the packaged module does not import"
fi

step "dpkg-deb -x"
root="$work/root"
dpkg-deb -x "$deb" "$root"
bin="$root/usr/bin"
for folder in "$build" "$source"; do
  if grep -rlF -- "$folder" "$root"; then fail "the files above name $folder"; fi
done

step "vorn-lut"
[ "$("$bin/vorn-lut" --version)" = "vorn-lut $version" ] || fail "vorn-lut --version"
"$bin/vorn-lut" formats >"$work/formats"
head -n 1 "$work/formats" | grep -q "^Number" || fail "vorn-lut formats: no header"
grep -q "Cube 3D" "$work/formats" || fail "vorn-lut formats lists no Cube 3D"
mkdir "$work/converted"
"$bin/vorn-lut" convert --profile "Cube 3D Davinci" --size 9 --output-dir "$work/converted" \
  "$source/assets/samples/warm-look.cube" >"$work/convert.out"
grep -q "^converted" "$work/convert.out" || fail "vorn-lut convert did not convert"
"$bin/vorn-lut" info "$work/converted/warm-look.cube" >"$work/info.out"
grep -qx "Format: Cube 3D" "$work/info.out" || fail "the converted file is no Cube 3D file"
grep -qx "Dimension: 9" "$work/info.out" || fail "the converted file has not 9 nodes per axis"

step "vorn-lut-converter"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
env -u DISPLAY -u WAYLAND_DISPLAY "$bin/vorn-lut-converter" --help | grep -q "^Usage: " ||
  fail "vorn-lut-converter --help"
[ "$("$bin/vorn-lut-converter" --version)" = "vorn-lut-converter $version" ] ||
  fail "vorn-lut-converter --version"
status=0
"$bin/vorn-lut-converter" --no-such-option 2>"$work/usage.err" || status=$?
[ $status -eq 2 ] && grep -q "^Usage: " "$work/usage.err" || fail "an unknown option gives no usage"
QT_QPA_PLATFORM=offscreen "$bin/vorn-lut-converter" --startup-probe "$source/assets/samples" \
  >"$work/probe.out" || fail "the window did not start"
grep -q "^startup-ms " "$work/probe.out" || fail "the window was not shown"
status=0
QT_QPA_PLATFORM=offscreen timeout 3 "$bin/vorn-lut-converter" "$source/assets/samples" || status=$?
[ $status -eq 124 ] || fail "the window ended with status $status instead of running"

step "man pages"
man_dir="$root/usr/share/man/man1"
for page in vorn-lut vorn-lut-converter; do
  MANWIDTH=100 man --warnings -l "$man_dir/$page.1.gz" >"$work/$page.txt" 2>"$work/$page.err"
  [ -s "$work/$page.err" ] && { cat "$work/$page.err"; fail "man reports problems in $page.1"; }
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" "SEE ALSO"; do
    grep -q "^$section" "$work/$page.txt" || fail "$page.1 has no $section section"
  done
done
grep -q "^EXAMPLES" "$work/vorn-lut.txt" || fail "vorn-lut.1 has no examples"
commands=$("$bin/vorn-lut" --help | awk '/^Commands:/ {c = 1; next} c && /^  / {print $1} c && !/^ /{c = 0}')
[ -n "$commands" ] || fail "vorn-lut --help lists no commands"
for command in $commands; do
  grep -q "^   vorn-lut $command\$" "$work/vorn-lut.txt" || fail "vorn-lut.1 lacks $command"
  for option in $("$bin/vorn-lut" "$command" --help | grep -oE -- '(^| |\[)--[a-z][a-z-]*' |
    tr -d ' ['); do
    grep -qF -- "$option" "$work/vorn-lut.txt" || fail "vorn-lut.1 lacks $command $option"
  done
done

step "bash completion"
completion="$root/usr/share/bash-completion/completions/vorn-lut"
PATH="$bin:$PATH" bash --norc --noprofile -c '
  set -u
  if [ -r /usr/share/bash-completion/bash_completion ]; then
    . /usr/share/bash-completion/bash_completion
  fi
  . "$1"
  complete -p vorn-lut | grep -q _vorn_lut || { echo "not registered"; exit 1; }
  expect() {  # expect WANTED WORD...: completing the last word offers WANTED
    local wanted=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_LINE=${COMP_LINE// = /=}  # the shell splits "--option=value" at the "="
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _vorn_lut
    local offered
    for offered in "${COMPREPLY[@]}"; do [ "$offered" = "$wanted" ] && return 0; done
    echo "completing \"$*\" offers ${COMPREPLY[*]-nothing}, not $wanted"
    exit 1
  }
  expect convert vorn-lut con
  expect --version vorn-lut --ver
  expect --output-dir vorn-lut convert --out
  expect --values vorn-lut info --
  expect "Cube\ 3D\ Davinci" vorn-lut convert --profile "Cube 3D D"
  expect "Cube\ 3D\ Truelight" vorn-lut convert --profile=Cube\ 3D\ T
  expect "Cube\ 3D\ Truelight" vorn-lut convert --profile = "Cube 3D T"
  expect "Cube 3D Truelight" vorn-lut convert --profile "\"Cube 3D T"
' bash "$completion" || fail "the bash completion does not work"

step "desktop file, AppStream, MIME types, icons"
id=$(basename "$root"/usr/share/applications/*.desktop .desktop)
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --strict --explain "$root/usr/share/metainfo/$id.metainfo.xml" ||
  fail "appstreamcli validate"
mime_root="$work/mime"
mkdir -p "$mime_root/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$root/usr/share/mime/packages/$id.xml" \
  "$mime_root/mime/packages/"
XDG_DATA_DIRS="$mime_root" update-mime-database "$mime_root/mime" 2>"$work/mime.err"
[ -s "$work/mime.err" ] && { cat "$work/mime.err"; fail "update-mime-database reports problems"; }
if command -v gio >/dev/null; then
  samples="$work/typed"
  mkdir "$samples"
  cp "$source/assets/samples/warm-look.cube" "$samples/grade.cube"
  cp "$source/assets/samples/warm-look.cube" "$samples/no-extension"
  printf '\x99\x02\x34\x42\x02\x00\x00\x01' >"$samples/monitor.dat"
  echo "just words" >"$samples/notes.txt"
  printf '<ColorCorrection id="a"><SOPNode/></ColorCorrection>\n' >"$samples/shot.cc"
  for expected in grade.cube:application/x-cube-lut no-extension:application/x-cube-lut \
    monitor.dat:application/x-fsi-dit-lut notes.txt:text/plain shot.cc:application/x-asc-cdl; do
    type=$(XDG_DATA_HOME="$work/none" XDG_DATA_DIRS="$mime_root" \
      gio info -a standard::content-type "$samples/${expected%%:*}" | awk '/content-type/ {print $2}')
    [ "$type" = "${expected#*:}" ] || fail "${expected%%:*} is $type, not ${expected#*:}"
  done
fi
grep -q "^MimeType=application/x-cube-lut;" "$root/usr/share/applications/$id.desktop" ||
  fail "the desktop file names no LUT types"
for size in 16 22 24 32 48 64 128 256; do
  png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
  dimensions=$(python3 -c 'import struct, sys; d = open(sys.argv[1], "rb").read(24)
print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8] == b"\x89PNG\r\n\x1a\n" else "no PNG")' "$png")
  [ "$dimensions" = "${size}x${size}" ] || fail "$png is $dimensions"
done
xmllint --noout "$root/usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "the SVG icon"

echo "package test: $(basename "$deb") passed"
