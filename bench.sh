#!/usr/bin/env bash
# Builds the benchmark in a Release tree (build-bench) when needed and runs it; arguments go to the
# benchmark (--runs N for more runs, --smoke for tiny inputs).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
scripts/install-deps.sh "${BUILD_PACKAGES[@]}"
if [ ! -f build-bench/CMakeCache.txt ]; then
  cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build-bench --target tarnavel-bench
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$PWD/build-bench/tests/xdg-runtime"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
fi
exec build-bench/bench/tarnavel-bench "$@"
