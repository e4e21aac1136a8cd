#!/bin/bash
# The whole process to a painted frame with the demo project open in the explorer, and out,
# against a bare Qt Widgets program that shows one window and quits once it was painted; then
# the same with a project of 3 million texts (100 groups x 10,000 indexes x 3 languages, made
# first, which takes a while); median of 10, peak memory. The goals: kx4toolbox within 1.3 times
# the bare window, kx4toolbox-3M within 1.3 times kx4toolbox and under 60 MB. plain-frame is the
# same frame built in Qt alone (plain_frame.cpp): what Qt itself needs for what is on screen.
# KX4_BENCH_QUIT_AFTER_PAINT makes kx4toolbox leave once its frame has been painted.
#   bench/frame/run.sh [BUILD]      (headless: both use the offscreen platform)
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export KX4_PREFIX="$WORK/prefix"
"$BUILD/bin/make_demo_prefix" "$KX4_PREFIX" "$BUILD/lib/kx4toolbox/libProjectExplorer.so" 1031 --large >/dev/null
unset DISPLAY WAYLAND_DISPLAY
python3 "$(dirname "$0")/../common/measure.py" -n 10 \
    --env QT_QPA_PLATFORM=offscreen --env KX4_BENCH_QUIT_AFTER_PAINT=1 \
    "bare=$BUILD/bin/bench_bare_window" \
    "plain-frame=$BUILD/bin/bench_plain_frame" \
    "kx4toolbox=$BUILD/bin/kx4toolbox Demo" \
    "kx4toolbox-3M=$BUILD/bin/kx4toolbox Large"
