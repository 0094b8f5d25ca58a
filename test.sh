#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
scripts/install-deps.sh "${BUILD_PACKAGES[@]}" "${FONT_PACKAGES[@]}" "${DESKTOP_TEST_PACKAGES[@]}" \
  "${CHECK_PACKAGES[@]}"
cmake -S . -B build -G Ninja -DTARNAVEL_WERROR=ON >/dev/null
cmake --build build
(cd build && ctest -j 2 --output-on-failure --no-tests=error "$@")

# The same tests again, built with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNAVEL_SANITIZE=ON -DTARNAVEL_WERROR=ON >/dev/null
cmake --build build-asan
(cd build-asan && ctest -j 2 --output-on-failure --no-tests=error "$@")

# The fuzz targets, built with clang and libFuzzer, each run for a bounded time.
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
    clang++ -fsanitize=fuzzer -x c++ - -o /dev/null >/dev/null 2>&1; then
  echo "test.sh: clang++ with libFuzzer is not available (install: ${CHECK_PACKAGES[*]})" >&2
  exit 1
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DTARNAVEL_FUZZ=ON >/dev/null
cmake --build build-fuzz --target fuzzers
(cd build-fuzz && ctest --output-on-failure --no-tests=error -L fuzz -j 2)

# Windows: the program and the Qt Test executables cross-built with mingw-w64 and run under Wine, then the zip.
scripts/test-windows.sh "$@"
