#!/usr/bin/env bash
# run-under-wm.sh CMD [ARGS...]
# Runs CMD on a private X server (Xvfb, 1280x1024x24) with openbox as its window manager, then stops both
# and exits with CMD's status. TARNAVEL_WM_PID tells CMD the window manager's process.
set -u
for tool in Xvfb openbox xdpyinfo xprop; do
    command -v "$tool" >/dev/null || { echo "run-under-wm.sh: '$tool' is not installed (xvfb openbox x11-utils)" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/run-under-wm.XXXXXX") || exit 1
pids=()
# Stops what this script started, each with TERM, a bounded wait, then KILL.
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || continue
        for i in $(seq 50); do kill -0 "$pid" 2>/dev/null && sleep 0.1; done
        kill -9 "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
# Waits up to 10 s for `check` to pass while process $1 runs.
await() { local pid=$1; shift; for i in $(seq 100); do kill -0 "$pid" 2>/dev/null || return 1; "$@" && return 0; sleep 0.1; done; return 1; }

# A display is ours when the lock file names our Xvfb (another server may take a number first).
for n in $(seq 90 160); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    ours() { [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$xvfb" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; }
    if await "$xvfb" ours; then pids=("$xvfb"); export DISPLAY=":$n"; break; fi
    kill "$xvfb" 2>/dev/null
done
[ -n "${DISPLAY:-}" ] && [ ${#pids[@]} = 1 ] || { echo "run-under-wm.sh: could not start Xvfb" >&2; cat "$work/xvfb.log" >&2; exit 1; }

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids=("$!" "${pids[@]}")
managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
await "${pids[0]}" managed || { echo "run-under-wm.sh: openbox did not start" >&2; cat "$work/openbox.log" >&2; exit 1; }

export QT_QPA_PLATFORM=xcb TARNAVEL_WM_PID=${pids[0]}
"$@" &
pids=("$!" "${pids[@]}")
wait "${pids[0]}"
status=$?
pids=("${pids[@]:1}")
exit "$status"
