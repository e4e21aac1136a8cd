#!/bin/bash
# `make run`: set up a demo prefix in the build folder and show the program's main job there.
set -euo pipefail
BUILD=${1:-build}
BIN="$BUILD/bin"
export KX4_PREFIX="$PWD/$BUILD/demo-prefix"
echo "Demo prefix: $KX4_PREFIX"
if [ -x "$BIN/kx4reg" ]; then
    "$BIN/kx4reg" query 'HKLM\Software' /s || true
fi
