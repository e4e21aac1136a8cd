#!/bin/bash
# Screenshots of the frame under Xvfb, German and English: the demo project in the left pane,
# a group's texts in the MDI area; then with the splitter moved; then the customer variant;
# then the project-open dialog in both languages, with an unreadable registration among others.
#   bench/frame/screenshots.sh [BUILD] [OUT]   (BUILD configured with -DKX4_BUILD_BENCH=ON: the show_ programs)
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
OUT=$(mkdir -p "${2:-/tmp/kx4shots}" && cd "${2:-/tmp/kx4shots}" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

shot() { # name lcid [group] [delta] [toolbox settings...]
    local name=$1 lcid=$2 group=${3:-Kessel} delta=${4:-0}
    shift 4 || shift $#
    export KX4_PREFIX="$WORK/$name"
    "$BUILD/bin/make_demo_prefix" "$KX4_PREFIX" "$BUILD/lib/kx4toolbox/libProjectExplorer.so" "$lcid" >/dev/null
    for setting in "$@"; do
        "$BUILD/bin/kx4reg" add 'HKLM\Software\HALVERN GmbH\Kestrix\4.0\Toolbox' \
            /v "${setting%%=*}" /t REG_DWORD /d "${setting#*=}" /f >/dev/null
    done
    xvfb-run -a -s "-screen 0 1280x800x24" bash -c \
        "'$BUILD/bin/show_FMDIFrame' Demo '$group' '$delta' 5 & sleep 3; import -window root '$OUT/$name.png'; wait" \
        2>/dev/null
    echo "$OUT/$name.png"
}

shot frame-de 1031 Kessel 0
shot frame-en 1033 Meldungen 0
shot splitter-moved-de 1031 Kessel 150
shot customer-variant-en 1033 Bedienung 0 WexelActivate=1 WexelProjectExplorerWindowWidth=6000

dialog() { # name lcid
    xvfb-run -a -s "-screen 0 800x500x24" bash -c \
        "'$BUILD/bin/show_FProjectOpen' $2 4 >/dev/null & sleep 2; import -window root '$OUT/$1.png'; wait" \
        2>/dev/null
    echo "$OUT/$1.png"
}

dialog dialog-de 1031
dialog dialog-en 1033
