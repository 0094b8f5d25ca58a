#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs: the program, a desktop
# entry that desktop-file-validate accepts (with a Japanese name), and the icon in every size.
set -u
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
[ -x "$prefix/bin/tarnavel" ] || fail "no program in bin/"
entry="$prefix/share/applications/tarnavel.desktop"
[ -f "$entry" ] || fail "no desktop entry"
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate is not installed (desktop-file-utils)"
out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
grep -q '^Name\[ja\]=.*写真' "$entry" || fail "no Japanese name"
for size in 16 22 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/tarnavel.png"
  [ -f "$icon" ] || fail "no ${size}x${size} icon"
  head -c 24 "$icon" | od -An -tx1 | tr -d ' \n' | grep -q "^89504e47" || fail "${size}x${size} icon is not a PNG"
done
echo "installed: program, desktop entry, 8 icon sizes"
