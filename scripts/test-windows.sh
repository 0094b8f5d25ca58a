#!/usr/bin/env bash
# The Windows stage of test.sh: cross-builds the program and the Qt Test executables with mingw-w64 into
# build-windows/, runs them through ctest under Wine, and makes the package, tarnavel-VERSION-win64.zip.
# The Windows Qt is a qt6-win-*.tar.xz (Qt's LICENSES/ beside it) in $TARNAVEL_QT_WINDOWS, by default
# ../shared/qt6-win; without one the stage is skipped. Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
from=${TARNAVEL_QT_WINDOWS:-../shared/qt6-win}
tarball=$(ls "$from"/qt6-win-*.tar.xz 2>/dev/null | tail -n 1 || true)
if [ -z "$tarball" ]; then
  echo "test.sh: no Windows Qt (qt6-win-*.tar.xz) in $from: the Windows stage is skipped (set TARNAVEL_QT_WINDOWS)"
  exit 0
fi
scripts/install-deps.sh "${WINDOWS_PACKAGES[@]}" "${FONT_PACKAGES[@]}" "${DESKTOP_TEST_PACKAGES[@]}"
build=$PWD/build-windows
qt=$build/qt6-win

# The Windows Qt, unpacked into the build tree again only when the tarball changed.
stamp="$(realpath "$tarball") $(stat -c '%s %Y' "$tarball")"
if [ "$(cat "$build/qt6-win.stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -rf "$qt" && mkdir -p "$build"
  tar xJf "$tarball" -C "$build"
  [ ! -d "$from/LICENSES" ] || cp -r "$from/LICENSES" "$qt/"
  echo "$stamp" >"$build/qt6-win.stamp"
fi

# Debug for Qt's assertions, without -g or optimisation: only the build's time counts here.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_PREFIX_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(gcc -dumpmachine)/cmake" \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG= -DTARNAVEL_WERROR=ON >/dev/null
cmake --build "$build"

# One Wine prefix in the build tree (the toolchain's wrapper uses it), started once for every test.
export WINEPREFIX=$build/wine WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
[ -f "$WINEPREFIX/system.reg" ] || { wineboot -i >/dev/null 2>&1 && wineserver -w; }
# ctest runs on a display of its own, where the Wine server and the prefix's own processes, its desktop
# among them (started by asking for its window), run apart from the tests until they end: a test's
# output then closes with its program, not with the last Wine process, and the windows platform
# finds an X11 desktop in every test.
tests/desktop/run-under-wm.sh bash -c '{ wineserver -p && wineboot && /usr/lib/wine/wine64 rundll32.exe user32.dll,GetDesktopWindow
  } </dev/null >/dev/null 2>&1; cd "$0" && ctest -j 2 --output-on-failure --no-tests=error "$@"; status=$?; wineserver -k
  exit $status' "$build" "$@"
(cd "$build" && cpack -G ZIP >/dev/null && ls "$build"/tarnavel-*-win64.zip)
