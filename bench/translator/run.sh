#!/bin/bash
# Translators' files as kx4studio runs them: export of XLIFF and PO, and import of each into a
# project that has only the source texts, at 10,000, 100,000 and 300,000 units. Neither side
# holds the file: the peak grows with the project database's pages that SQLite maps and
# caches (compare the .kxs sizes), not with the size of the XLIFF or PO file.
#   bench/translator/run.sh [BUILD] [RUNS]
# Each import first copies the untranslated project (the "copy" line alone is the baseline), so
# that every run writes all the target texts.
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
RUNS=${2:-5}
STUDIO="$BUILD/bin/kx4studio"
MEASURE="$(dirname "$0")/../common/measure.py"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export KX4_PREFIX="$WORK/prefix"

# Groups of 1,000 indexes, 20 groups to an area; texts of everyday length with an umlaut.
# make_csv UNITS WITH_TARGETS
make_csv() {
    awk -v n="$1" -v full="$2" 'BEGIN {
        print full ? "group,index,1031,1033" : "group,index,1031"
        for (i = 0; i < n; i++) {
            g = int(i / 1000)
            printf "Bereich %d\\Gruppe %d,%d,\"Kessel %d: Druck zu hoch, Ventil prüfen\"", g / 20, g, i % 1000 + 1, i
            if (full)
                printf ",\"Boiler %d: pressure too high, check the valve\"", i
            printf "\n"
        }
    }'
}

for units in 10000 100000 300000; do
    make_csv "$units" 1 > "$WORK/full.csv"
    make_csv "$units" 0 > "$WORK/source.csv"
    rm -f "$WORK/Full.kxs" "$WORK/Source.kxs"
    "$STUDIO" new "$WORK/Full.kxs" --language 1031 --language 1033 >/dev/null
    "$STUDIO" import "$WORK/Full.kxs" "$WORK/full.csv" >/dev/null
    "$STUDIO" new "$WORK/Source.kxs" --language 1031 >/dev/null
    "$STUDIO" import "$WORK/Source.kxs" "$WORK/source.csv" >/dev/null
    export_xliff="$STUDIO export $WORK/Full.kxs --format xliff --source 1031 --target 1033 -o $WORK/t.xlf"
    export_po="$STUDIO export $WORK/Full.kxs --format po --source 1031 --target 1033 -o $WORK/t.po"
    $export_xliff >/dev/null
    $export_po >/dev/null
    size() { echo "$(( $(stat -c %s "$1") / 1000000 )) MB"; }
    echo "== $units units: XLIFF $(size "$WORK/t.xlf"), PO $(size "$WORK/t.po")," \
         "projects $(size "$WORK/Full.kxs") translated, $(size "$WORK/Source.kxs") untranslated"
    copy="cp $WORK/Source.kxs $WORK/Work.kxs"
    python3 "$MEASURE" -n "$RUNS" \
        "copy=$copy" \
        "export-xliff=$export_xliff" \
        "export-po=$export_po" \
        "import-xliff=sh -c '$copy && exec $STUDIO import $WORK/Work.kxs $WORK/t.xlf'" \
        "import-po=sh -c '$copy && exec $STUDIO import $WORK/Work.kxs $WORK/t.po'"
done
