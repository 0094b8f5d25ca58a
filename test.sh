#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
scripts/install-deps.sh "${BUILD_PACKAGES[@]}" "${FONT_PACKAGES[@]}" "${DESKTOP_TEST_PACKAGES[@]}"
cmake -S . -B build -G Ninja >/dev/null
cmake --build build
cd build
ctest --output-on-failure --no-tests=error "$@"
