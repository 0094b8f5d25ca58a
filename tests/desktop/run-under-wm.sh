#!/usr/bin/env bash
# run-under-wm.sh CMD [ARGS...]
# Runs CMD on a private X server (Xvfb, 1280x1024x24) with openbox as its window manager, then stops the
# server and the window manager and exits with CMD's status.
set -u

if [ $# -lt 1 ]; then
    echo "usage: run-under-wm.sh CMD [ARGS...]" >&2
    exit 2
fi
for tool in Xvfb openbox xdpyinfo xprop; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "run-under-wm.sh: '$tool' is not installed (install: xvfb openbox x11-utils)" >&2
        exit 1
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/run-under-wm.XXXXXX") || exit 1
xvfb_pid=""
wm_pid=""
cmd_pid=""

# Stops a process this script started: TERM, a bounded wait, then KILL.
stop() {
    local pid=$1 i
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null || return 0
    for i in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

cleanup() {
    stop "$cmd_pid"
    stop "$wm_pid"
    stop "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP

# A display is ours when Xvfb is still running and the lock file names its PID (another server may
# have taken the same number between the look at /tmp and the start).
display=""
for n in $(seq 90 160); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    ready=0
    for i in $(seq 100); do
        kill -0 "$xvfb_pid" 2>/dev/null || break
        if [ "$({ tr -d ' \n' <"/tmp/.X$n-lock"; } 2>/dev/null)" = "$xvfb_pid" ] &&
            DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
            ready=1
            break
        fi
        sleep 0.1
    done
    if [ "$ready" = 1 ]; then
        display=":$n"
        break
    fi
    stop "$xvfb_pid"
    xvfb_pid=""
done
if [ -z "$display" ]; then
    echo "run-under-wm.sh: could not start Xvfb on a free display" >&2
    cat "$work/xvfb.log" >&2 2>/dev/null
    exit 1
fi
export DISPLAY=$display

wm_args=(--sm-disable)
[ -f /etc/xdg/openbox/rc.xml ] && wm_args+=(--config-file /etc/xdg/openbox/rc.xml)
openbox "${wm_args[@]}" >"$work/openbox.log" 2>&1 &
wm_pid=$!
ready=0
for i in $(seq 100); do
    kill -0 "$wm_pid" 2>/dev/null || break
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
        ready=1
        break
    fi
    sleep 0.1
done
if [ "$ready" != 1 ]; then
    echo "run-under-wm.sh: openbox did not start on $DISPLAY" >&2
    cat "$work/openbox.log" >&2 2>/dev/null
    exit 1
fi

export QT_QPA_PLATFORM=xcb
# A test may stop the window manager for a moment, as a loaded machine delays its answers.
export TARNAVEL_WM_PID=$wm_pid
"$@" &
cmd_pid=$!
wait "$cmd_pid"
status=$?
cmd_pid=""
exit "$status"
