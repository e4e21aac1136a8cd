#!/bin/bash
# kx4studio import and export of large files beside SQLite's own shell on the same rows, as
# whole processes (median of RUNS, peak memory):
#   import of a 1,000,000-row CSV in three languages (100 groups x 10,000 indexes) against
#     `sqlite3 .import --csv` of the same file into one table;
#   export of the project that import makes (3,000,000 texts) against `sqlite3 -csv` of every
#     text (the baseline) and of the same rows as the export (a group's path, the index and the
#     three texts, which SQLite gathers with GROUP BY).
#   bench/language/run.sh [BUILD] [RUNS]       (needs the Debian package sqlite3)
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
RUNS=${2:-5}
command -v sqlite3 >/dev/null || { echo "run.sh: needs sqlite3 (apt-get install sqlite3)" >&2; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export KX4_PREFIX="$WORK/prefix"
STUDIO="$BUILD/bin/kx4studio"
"$BUILD/bin/bench_language" csv "$WORK/texts.csv" 100 10000
"$STUDIO" new "$WORK/empty.kxs" >/dev/null
"$STUDIO" new "$WORK/export.kxs" >/dev/null
"$STUDIO" import "$WORK/export.kxs" "$WORK/texts.csv" >/dev/null
echo "CSV of $(($(wc -l <"$WORK/texts.csv") - 1)) rows, $(($(stat -c %s "$WORK/texts.csv") / 1000000)) MB;" \
     "project of $(sqlite3 "$WORK/export.kxs" 'SELECT COUNT(*) FROM texts') texts"

# Each run starts from an empty target; removing the last run's file is part of both commands.
cat >"$WORK/sqlite-import.sh" <<SH
rm -f "$WORK/yard.db"
exec sqlite3 "$WORK/yard.db" ".import --csv $WORK/texts.csv t"
SH
cat >"$WORK/studio-import.sh" <<SH
rm -f "$WORK/in.kxs" "$WORK/in.kxs-wal" "$WORK/in.kxs-shm"
cp "$WORK/empty.kxs" "$WORK/in.kxs"
exec "$STUDIO" import "$WORK/in.kxs" "$WORK/texts.csv"
SH
cat >"$WORK/sqlite-texts.sh" <<SH
exec sqlite3 -csv "$WORK/export.kxs" "SELECT grp, idx, language, text FROM texts"
SH
# The rows kx4studio export writes, in its order (groups were made in tree order).
cat >"$WORK/sqlite-rows.sh" <<SH
exec sqlite3 -csv "$WORK/export.kxs" "SELECT p.name || '\\' || g.name, t.idx,
    max(CASE t.language WHEN 1 THEN t.text END), max(CASE t.language WHEN 2 THEN t.text END),
    max(CASE t.language WHEN 3 THEN t.text END)
  FROM texts AS t JOIN groups AS g ON g.id = t.grp JOIN groups AS p ON p.id = g.parent
  GROUP BY t.grp, t.idx"
SH
MEASURE="$(dirname "$0")/../common/measure.py"
echo "import:"
python3 "$MEASURE" -n "$RUNS" "sqlite3=sh $WORK/sqlite-import.sh" "kx4studio=sh $WORK/studio-import.sh"
echo "export:"
python3 "$MEASURE" -n "$RUNS" "sqlite3-texts=sh $WORK/sqlite-texts.sh" "sqlite3-rows=sh $WORK/sqlite-rows.sh" \
    "kx4studio=$STUDIO export $WORK/export.kxs"
