#!/bin/sh
# Rebuilds Toolbox.chm from src/ with the help compiler chmcmd (Debian: fp-utils).
# The compiler reads paths relative to the project, so it runs from src/.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
command -v chmcmd >/dev/null || { echo "build-help.sh: chmcmd not found (package fp-utils)" >&2; exit 1; }
cd "$here/src"
rm -f ../Toolbox.chm
chmcmd --no-html-scan Toolbox.hhp
test -s ../Toolbox.chm || { echo "build-help.sh: chmcmd wrote no Toolbox.chm" >&2; exit 1; }
echo "Built $here/Toolbox.chm"
