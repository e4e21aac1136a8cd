#!/bin/bash
# `make run`: set up a fresh demo prefix in the build folder with two registered projects, then
# show the program's main job there: the frame with the demo project when there is a display,
# otherwise the demo script run silently, with the target project's groups before and after.
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
BIN="$BUILD/bin"
export KX4_PREFIX="$BUILD/demo-prefix"

rm -rf "$KX4_PREFIX"
echo "== Demo prefix: $KX4_PREFIX"
"$BIN/kx4studio" setup
# The customer variant's script menu, so that the demo script also runs from the window.
"$BIN/kx4reg" add 'HKLM\Software\HALVERN GmbH\Kestrix\4.0\Toolbox' \
    /v WexelToolboxEnableScriptMenu /t REG_DWORD /d 1 /f >/dev/null

# The projects go below the user's documents folder that setup recorded.
SHELL_FOLDERS='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
DOCS=$("$BIN/kx4reg" query "$SHELL_FOLDERS" /v Personal | awk -F '    ' '/Personal/ {print $4}')
for PROJECT in Anlage Demo; do
    LOWER=$(echo "$PROJECT" | tr '[:upper:]' '[:lower:]')
    FILE="$DOCS\\KestrixStudio\\Projects\\$PROJECT\\$PROJECT.kxs"
    "$BIN/kx4studio" new "$FILE" --language 1031 --language 1033
    "$BIN/kx4studio" import "$FILE" "$HERE/data/$LOWER.csv"
    "$BIN/kx4studio" register "$FILE"
done
echo "== Registered projects"
"$BIN/kx4studio" list

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    if [ -x "$BIN/kx4toolbox" ]; then
        echo "== Starting kx4toolbox with the project Demo"
        echo "   Extras > Scriptdatei ausführen runs a script: choose $HERE/demo.txt"
        echo "   (it copies groups of Anlage into Demo; File > Open (Datei > Öffnen) reopens Demo to show them)"
        exec "$BIN/kx4toolbox" Demo
    fi
    echo "kx4toolbox is not built yet; the projects are ready in $KX4_PREFIX"
    exit 0
fi

echo "== Groups of Demo before the script"
"$BIN/kx4studio" groups Demo
if [ ! -x "$BIN/kx4toolbox" ]; then
    echo "kx4toolbox is not built yet; run it later as: KX4_PREFIX=$KX4_PREFIX $BIN/kx4toolbox /s $HERE/demo.txt"
    exit 0
fi
echo "== kx4toolbox /s demo.txt (in the window: Extras > Scriptdatei ausführen runs the same script)"
QT_QPA_PLATFORM=offscreen "$BIN/kx4toolbox" /s "$HERE/demo.txt"
echo "== Groups of Demo after the script"
"$BIN/kx4studio" groups Demo
