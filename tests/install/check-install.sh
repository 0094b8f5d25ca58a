#!/usr/bin/env bash
# The README's road to a desktop, on a tree as run.sh leaves it: run.sh's own cmake lines (a Release build
# without tests, only the program's target built) in a temporary build folder, then `cmake --install` into
# a temporary prefix. Checks the program, a desktop entry that desktop-file-validate accepts (with a
# Japanese name), and the icon in every size. Argument: the test's own build folder.
set -u
source=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "$(cd "${1:-${TMPDIR:-/tmp}}" && pwd)/install-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; cat "$work/log" 2>/dev/null; exit 1; }
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate is not installed (desktop-file-utils)"
lines=$(grep -E '^cmake ' "$source/run.sh")
[ -n "$lines" ] || fail "no cmake lines in run.sh"
while read -r line; do
  (cd "$source" && eval "${line//build-release/$work/build}") >"$work/log" 2>&1 || fail "$line"
done <<<"$lines"
cmake --install "$work/build" --prefix "$work/prefix" >"$work/log" 2>&1 || fail "cmake --install"
rm -f "$work/log"
[ -x "$work/prefix/bin/tarnavel" ] || fail "no program in bin/"
entry="$work/prefix/share/applications/tarnavel.desktop"
out=$(desktop-file-validate "$entry" 2>&1) && [ -z "$out" ] || fail "desktop entry: $out"
grep -q '^Name\[ja\]=.*写真' "$entry" || fail "no Japanese name"
for size in 16 22 24 32 48 64 128 256; do
  head -c 8 "$work/prefix/share/icons/hicolor/${size}x${size}/apps/tarnavel.png" 2>/dev/null | od -An -tx1 | tr -d ' \n' |
    grep -q "^89504e470d0a1a0a" || fail "no ${size}x${size} PNG icon"
done
echo "installed after run.sh's build: program, desktop entry, 8 icon sizes"
