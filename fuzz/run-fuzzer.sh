#!/usr/bin/env bash
# run-fuzzer.sh FUZZER SEEDS WORK [LIBFUZZER OPTIONS...]
# Copies the committed seeds SEEDS to WORK (emptied first) and runs FUZZER over that copy. A failing input
# is written to WORK-crashes/ to be replayed: FUZZER FILE.
set -euo pipefail
[ $# -ge 3 ] || { echo "usage: run-fuzzer.sh FUZZER SEEDS WORK [OPTIONS...]" >&2; exit 2; }
fuzzer=$1 seeds=$2 work=$3
shift 3
rm -rf "$work" && mkdir -p "$work" "$work-crashes" && cp -r "$seeds"/. "$work"/
exec "$fuzzer" -artifact_prefix="$work-crashes/" "$@" "$work"
