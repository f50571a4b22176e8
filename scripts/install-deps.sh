#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running, testing, benchmarking and fuzzing
# need. Idempotent: packages already present are not touched, and apt-get update runs
# at most once, only when something is missing.
set -euo pipefail

packages=(
  # toolchain and build
  build-essential g++ cmake ninja-build pkg-config make
  # tests, benchmarks, fuzzing, formatting
  libgtest-dev libgmock-dev googletest libbenchmark-dev clang libclang-rt-14-dev clang-format
  # ThreadSanitizer run time of g++ (make test-tsan)
  libtsan2
  # the Python module (python/) and its tests: pybind11, NumPy and pytest of Debian's Python
  python3-dev python3-pybind11 pybind11-dev python3-numpy python3-pytest
  # picture codecs, colour management, JSON output of the command line
  libjpeg62-turbo-dev libpng-dev libtiff-dev liblcms2-dev nlohmann-json3-dev
  # the desktop application and its headless runs
  qt6-base-dev libgl-dev xvfb xauth fonts-dejavu-core
  # peers (OpenColorIO, xmllint, FFmpeg's haldclut), benchmark timing and test pictures; a
  # locale with a decimal comma for the tests
  opencolorio-tools libxml2-utils hyperfine imagemagick ffmpeg python3 locales
  # independent ICC readers that check the written profiles: transicc and icclu
  liblcms2-utils argyll
  # the Debian package and its checks: lint, desktop, AppStream and MIME files, man pages,
  # bash completion
  dpkg-dev lintian desktop-file-utils appstream shared-mime-info libglib2.0-bin man-db
  bash-completion
  # the picture libraries' own tools, which check what our picture writers write
  libtiff-tools libjpeg-turbo-progs pngcheck
  # the suite under memcheck (make test-valgrind) and instruction counts in make peer
  valgrind
  # real LUTs that Debian ships, which the detection tests load
  kdenlive-data obs-studio
)

# The number tests check that a regional decimal comma changes nothing.
ensure_test_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && [ "$(id -u)" -eq 0 ]; then
    localedef -i de_DE -f UTF-8 de_DE.UTF-8 >/dev/null 2>&1 || true
  fi
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  ensure_test_locale
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: these packages are missing: ${missing[*]}" >&2
  echo "install-deps: run as root (or install them) and try again" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
ensure_test_locale
