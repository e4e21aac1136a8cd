#!/bin/bash
# Start-up cost: kx4toolbox on a set-up prefix leaving through the silent road with an empty
# script, against a bare Qt Widgets program that shows one window and quits.
#   bench/startup/run.sh [BUILD]      (headless: both use the offscreen platform)
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export KX4_PREFIX="$WORK/prefix"
"$BUILD/bin/kx4studio" setup >/dev/null
: > "$WORK/empty.txt"
unset DISPLAY WAYLAND_DISPLAY
python3 "$(dirname "$0")/../common/measure.py" -n 10 --env QT_QPA_PLATFORM=offscreen \
    "bare=$BUILD/bin/bench_bare_window" \
    "kx4toolbox=$BUILD/bin/kx4toolbox /s $WORK/empty.txt"
