#!/usr/bin/env bash
# The README's road to a desktop, on a tree as run.sh leaves it: run.sh's own cmake lines (a Release build
# without tests, only the program's target built) in a temporary build folder, then `cmake --install` into
# a temporary prefix. Checks the program, a desktop entry that desktop-file-validate accepts (with a
# Japanese name), and the icon in every size.
# Argument: the test's own build folder; its compiler launcher (ccache) is reused when it has one.
set -u
source=$(cd "$(dirname "$0")/../.." && pwd)
test_build=$(cd "${1:-${TMPDIR:-/tmp}}" && pwd)
work=$(mktemp -d "$test_build/install-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate is not installed (desktop-file-utils)"

launcher=$(sed -n 's/^CMAKE_CXX_COMPILER_LAUNCHER:[A-Z]*=//p' "$test_build/CMakeCache.txt" 2>/dev/null)
if [ -n "$launcher" ]; then
  export CMAKE_CXX_COMPILER_LAUNCHER=$launcher
  # Paths relative to the source's folder, so that the temporary folder's name does not keep ccache
  # from finding earlier results.
  case "$work" in "$source"/*) export CCACHE_BASEDIR=$source ;; esac
fi
build=$work/build-release
prefix=$work/prefix
lines=$(grep -E '^cmake ' "$source/run.sh")
[ -n "$lines" ] || fail "no cmake lines in run.sh"
while read -r line; do
  (cd "$source" && eval "${line//build-release/$build}") >"$work/log" 2>&1 || { cat "$work/log"; fail "$line"; }
done <<<"$lines"
cmake --install "$build" --prefix "$prefix" >"$work/log" 2>&1 || { cat "$work/log"; fail "cmake --install"; }

[ -x "$prefix/bin/tarnavel" ] || fail "no program in bin/"
entry="$prefix/share/applications/tarnavel.desktop"
[ -f "$entry" ] || fail "no desktop entry"
out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
grep -q '^Name\[ja\]=.*写真' "$entry" || fail "no Japanese name"
for size in 16 22 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/tarnavel.png"
  [ -f "$icon" ] || fail "no ${size}x${size} icon"
  head -c 24 "$icon" | od -An -tx1 | tr -d ' \n' | grep -q "^89504e47" || fail "${size}x${size} icon is not a PNG"
done
echo "installed after run.sh's build: program, desktop entry, 8 icon sizes"
