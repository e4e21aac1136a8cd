#!/bin/bash
# Line and branch coverage of the program, its components and tools under the whole suite:
# a build of its own with --coverage, ctest, then a gcovr summary per folder.
#   tests/coverage.sh [BUILD_DIR]        (make coverage)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-coverage}

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKX4_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="--coverage" -DCMAKE_EXE_LINKER_FLAGS="--coverage" \
    -DCMAKE_SHARED_LINKER_FLAGS="--coverage" -DCMAKE_MODULE_LINKER_FLAGS="--coverage" >/dev/null
cmake --build "$BUILD"
find "$BUILD" -name '*.gcda' -delete
# Instrumented programs name their build folder (where their counts go), which the install
# test rightly refuses.
(cd "$BUILD" && QT_QPA_PLATFORM=offscreen ctest -j "$(nproc)" --output-on-failure -E '^install_and_run$') || echo "coverage: some tests failed; figures are of the run as it went" >&2

gcovr --root . --object-directory "$BUILD" --filter "$PWD/(src|components|tools)/" --exclude '.*_autogen/.*' \
    --exclude-unreachable-branches --exclude-throw-branches \
    --json-summary "$BUILD/coverage.json" >/dev/null
python3 - "$BUILD/coverage.json" <<'PY'
import json, sys
from collections import defaultdict
files = json.load(open(sys.argv[1]))["files"]
sums = defaultdict(lambda: [0, 0, 0, 0])
for f in files:
    parts = f["filename"].split("/")
    for key in ("/".join(parts[:2]), parts[0], "all"):
        s = sums[key]
        s[0] += f["line_covered"]; s[1] += f["line_total"]
        s[2] += f["branch_covered"]; s[3] += f["branch_total"]
pct = lambda a, b: f"{100.0 * a / b:5.1f}%" if b else "   - "
print(f"{'folder':32} {'lines':>16} {'line %':>7} {'branches':>16} {'branch %':>8}")
for key in sorted(k for k in sums if k != "all") + ["all"]:
    l, lt, b, bt = sums[key]
    print(f"{key:32} {l:>7}/{lt:<8} {pct(l, lt):>7} {b:>7}/{bt:<8} {pct(b, bt):>8}")
PY
