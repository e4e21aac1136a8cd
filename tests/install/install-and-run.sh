#!/bin/bash
# Installs the build into a temporary folder and runs it from there, without the build tree:
# kx4studio setup, then the silent road of kx4toolbox. Nothing installed may point back into
# the build folder.
set -euo pipefail
BUILD=$1 # then "sanitized" for a sanitizer build
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
ROOT="$WORK/root"

cmake --install "$BUILD" --prefix "$ROOT" --strip >/dev/null

export KX4_PREFIX="$WORK/prefix"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
# The installed programs must not find anything through the build's environment.
cd "$WORK"

"$ROOT/bin/kx4studio" setup --lcid 1033
"$ROOT/bin/kx4reg" query 'HKCR\KXLanguage.Connect\InprocServer32' /ve | grep -q "$ROOT/lib/kx4toolbox/" \
    || { echo "the language component is not registered from the installed tree"; exit 1; }

"$ROOT/bin/kx4studio" new "$WORK/Demo.kxs" --language 1031
"$ROOT/bin/kx4studio" register "$WORK/Demo.kxs"
printf 'set dbwrite "Demo"\r\naddlanguage "1033"\r\n' > "$WORK/demo.txt"
"$ROOT/bin/kx4toolbox" /s "$WORK/demo.txt"
"$ROOT/bin/kx4studio" export "$WORK/Demo.kxs" | head -1 | grep -q '^group,index,1031,1033' \
    || { echo "the script did not reach the project"; exit 1; }

BUILD_ABS=$(cd "$BUILD" && pwd)
if find "$ROOT" -type f -exec readelf -d {} + 2>/dev/null | grep -E 'R(UN)?PATH' | grep -F "$BUILD_ABS"; then
    echo "an installed program or library searches the build folder $BUILD_ABS"
    exit 1
fi
# Sanitizer reports carry the compile-time paths of headers (gcc does not map them): no reference
# the installed programs follow. Any other build must not name the folder at all.
if [ "${2:-plain}" != sanitized ] && grep -rlF "$BUILD_ABS" "$ROOT"; then
    echo "installed files above still name the build folder $BUILD_ABS"
    exit 1
fi
echo "installed tree works on its own"
