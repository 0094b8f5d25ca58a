#!/usr/bin/env bash
# wine-run.sh QT_DIR WINE_PREFIX PROGRAM.exe [ARGS...]
# Starts a Windows program under 64-bit Wine as a Linux program of this project is started: the Qt DLLs
# of QT_DIR on its path, the environment's QT_* variables passed on (Wine keeps QT_* from Windows
# programs, and gives them WINEQT_* without the prefix). A request for X11 (xcb) gets the windows
# platform, which draws through Wine's X11 driver; the offscreen platform reads the Japanese font.
# WINEPREFIX, when set, wins over WINE_PREFIX; a missing prefix is made once, by the first program.
set -euo pipefail
if [ $# -lt 3 ]; then
    echo "usage: wine-run.sh QT_DIR WINE_PREFIX PROGRAM.exe [ARGS...]" >&2
    exit 2
fi
qt=$(realpath -m "$1")
export WINEPREFIX=${WINEPREFIX:-$2}
shift 2
export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# File names pass between Windows and Linux in UTF-8, whichever locales this machine has.
export LC_ALL=C.UTF-8
export WINEPATH="Z:${qt//\//\\}\\bin"
export WINEQT_QPA_FONTDIR='Z:\usr\share\fonts\opentype\ipafont-gothic' WINEQT_FORCE_STDERR_LOGGING=1
[ "${QT_QPA_PLATFORM:-}" != xcb ] || QT_QPA_PLATFORM=windows
for name in $(compgen -e); do
    [[ $name != QT_* ]] || export "WINE$name=${!name}"
done
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    (
        flock 9
        [ -f "$WINEPREFIX/system.reg" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
    ) 9>"$WINEPREFIX/.boot-lock"
fi
exec /usr/lib/wine/wine64 "$@"
