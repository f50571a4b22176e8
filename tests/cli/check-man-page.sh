#!/bin/sh
# Writes vorn-lut's man page from its --help as the package build does, and reads it as
# man and lexgrog do: no warning from man, a NAME line lexgrog understands, and an example
# in the help of every command. Exits 77 (skipped) when man or lexgrog is missing.
#   check-man-page.sh PROGRAM SOURCE_DIR
set -eu
program=$1
source_dir=$2
if ! command -v man >/dev/null 2>&1 || ! command -v lexgrog >/dev/null 2>&1; then
    echo "man or lexgrog is not installed"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
page=$work/vorn-lut.1.gz
python3 "$source_dir/packaging/make-manpage.py" --program "$program" \
    --name "convert colour look-up tables between file formats" --date 2000-01-01 \
    --output "$page" --commands
MANWIDTH=100 man --warnings -l "$page" >"$work/page.txt" 2>"$work/warnings.txt"
if [ -s "$work/warnings.txt" ]; then
    echo "man warns about the page:"
    cat "$work/warnings.txt"
    exit 1
fi
lexgrog "$page"
commands=$("$program" --help | awk '
    /^Commands:/ { inside = 1; next }
    inside && /^  +[a-z0-9]/ { print $1; next }
    inside && !/^ / { inside = 0 }')
[ -n "$commands" ] || { echo "no commands in the help"; exit 1; }
for command in $commands; do
    if ! "$program" "$command" --help | grep -q "^  vorn-lut $command"; then
        echo "the help of '$command' has no example"
        exit 1
    fi
    grep -q "vorn-lut $command" "$work/page.txt" || { echo "no '$command' in the page"; exit 1; }
done
