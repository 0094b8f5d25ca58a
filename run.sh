#!/usr/bin/env bash
# Installs what is missing, builds a release build and starts Tarnavel.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
scripts/install-deps.sh "${BUILD_PACKAGES[@]}" "${FONT_PACKAGES[@]}"
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release --target tarnavel
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: start it under a virtual one with: xvfb-run -a ./build-release/tarnavel" >&2
  exit 1
fi
exec ./build-release/tarnavel "$@"
