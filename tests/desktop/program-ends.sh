#!/usr/bin/env bash
# program-ends.sh TARNAVEL_BINARY
# On the current display (with a window manager), starts the program and ends it the two ways a user
# can: the File menu's 終了 item (Alt+F, then X) and the close box (Alt+F4, openbox's close binding).
# Each time the program must exit with status 0 within 10 s. Exits 0 when both did.
set -u

if [ $# -ne 1 ] || [ ! -x "$1" ]; then
    echo "usage: program-ends.sh TARNAVEL_BINARY" >&2
    exit 2
fi
if ! command -v xdotool >/dev/null 2>&1; then
    echo "program-ends.sh: 'xdotool' is not installed (install: xdotool)" >&2
    exit 1
fi
binary=$1
title='写真選択'
work=$(mktemp -d "${TMPDIR:-/tmp}/program-ends.XXXXXX") || exit 1
pid=""

stop_program() {
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null
    for i in $(seq 30); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=""
}
trap 'stop_program; rm -rf "$work"' EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# Visible windows of the running program with the main window's title.
main_windows() {
    xdotool search --all --onlyvisible --pid "$pid" --name "^${title}\$" 2>/dev/null
}

# Starts the program and waits, bounded, until its main window is shown and active.
start_program() {
    "$binary" >"$work/program.log" 2>&1 &
    pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1)
    if [ -z "$window" ] || [ -z "$(main_windows)" ]; then
        echo "the main window '$title' did not appear within 20 s" >&2
        return 1
    fi
    timeout 5 xdotool windowactivate --sync "$window" >/dev/null 2>&1
    for i in $(seq 50); do
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ] && return 0
        sleep 0.1
    done
    echo "the main window did not become active within 5 s" >&2
    return 1
}

# Waits up to 10 s for the program to exit, and checks its status is 0.
expect_clean_exit() {
    local how=$1 status
    for i in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "FAIL $how: the program was still running 10 s later" >&2
        stop_program
        return 1
    fi
    wait "$pid"
    status=$?
    pid=""
    if [ "$status" != 0 ]; then
        echo "FAIL $how: the program exited with status $status" >&2
        cat "$work/program.log" >&2
        return 1
    fi
    echo "PASS $how: exited with status 0"
    return 0
}

failures=0

# The File menu's 終了 item.
if start_program; then
    xdotool key alt+f
    # The menu is open when the program shows a second window (the popup).
    menu_open=0
    for i in $(seq 50); do
        if [ "$(xdotool search --all --onlyvisible --pid "$pid" --name '' 2>/dev/null | wc -l)" -ge 2 ]; then
            menu_open=1
            break
        fi
        sleep 0.1
    done
    if [ "$menu_open" = 1 ]; then
        xdotool key x
        expect_clean_exit "File > 終了" || failures=$((failures + 1))
    else
        echo "FAIL File > 終了: Alt+F did not open the File menu within 5 s" >&2
        stop_program
        failures=$((failures + 1))
    fi
else
    echo "FAIL File > 終了: the program did not start" >&2
    stop_program
    failures=$((failures + 1))
fi

# The close box.
if start_program; then
    xdotool key alt+F4
    expect_clean_exit "close box (Alt+F4)" || failures=$((failures + 1))
else
    echo "FAIL close box: the program did not start" >&2
    stop_program
    failures=$((failures + 1))
fi

[ "$failures" = 0 ]
