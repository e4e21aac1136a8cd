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

# Warnings of gcov on CMake's own compiler probe are no finding of ours.
gcovr --root . --object-directory "$BUILD" --filter "$PWD/(src|components|tools)/" --exclude '.*_autogen/.*' \
    --exclude-directories "$PWD/$BUILD/CMakeFiles/[0-9]" \
    --exclude-unreachable-branches --exclude-throw-branches --json "$BUILD/coverage.json" >/dev/null
python3 - "$BUILD/coverage.json" <<'PY'
import json, os, sys
from collections import defaultdict
# A header reached through a library's published include folder (a link into the source tree) is
# its source file: gcov names it by the link, and a header included both ways would count twice.
# Each line counts once, covered when any run covered it; its branches by position likewise.
merged = defaultdict(dict)
for f in json.load(open(sys.argv[1]))["files"]:
    lines = merged[os.path.relpath(os.path.realpath(f["file"]))]
    for line in f["lines"]:
        if line["gcovr/noncode"] or line["gcovr/excluded"]:
            continue
        covered, branches = lines.get(line["line_number"], (False, []))
        mine = [b["count"] > 0 for b in line["branches"]]
        if len(mine) > len(branches):
            branches, mine = mine, branches
        branches = [c or (i < len(mine) and mine[i]) for i, c in enumerate(branches)]
        lines[line["line_number"]] = (covered or line["count"] > 0, branches)
# Per folder two levels down (three in src/platform, which holds four parts), and in all.
sums = defaultdict(lambda: [0, 0, 0, 0])
for name, lines in merged.items():
    parts = name.split("/")
    keys = {parts[0], "/".join(parts[:2]), "all"}
    if parts[:2] == ["src", "platform"] and len(parts) > 3:
        keys.add("/".join(parts[:3]))
    for key in keys:
        s = sums[key]
        s[0] += sum(covered for covered, _ in lines.values())
        s[1] += len(lines)
        s[2] += sum(sum(branches) for _, branches in lines.values())
        s[3] += sum(len(branches) for _, branches in lines.values())
pct = lambda a, b: f"{100.0 * a / b:5.1f}%" if b else "   - "
print(f"{'folder':32} {'lines':>16} {'line %':>7} {'branches':>16} {'branch %':>8}")
for key in sorted(k for k in sums if k != "all") + ["all"]:
    l, lt, b, bt = sums[key]
    print(f"{key:32} {l:>7}/{lt:<8} {pct(l, lt):>7} {b:>7}/{bt:<8} {pct(b, bt):>8}")
PY
