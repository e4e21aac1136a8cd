#!/bin/bash
# Runs the fuzz targets of a KX4_FUZZ build for a time each, on the committed corpus (make fuzz).
#
#   tests/fuzz/run-fuzzers.sh <build folder> <seconds per target> [target...]
#
# What a run finds that is new coverage goes to <build>/fuzz-corpus/<target> (kept between runs,
# never committed). An input that crashes, hangs or exhausts memory is written into
# tests/fuzz/corpus/<target>/ as a regression input, and the run fails naming it.
set -uo pipefail
build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)

# The CSV target makes and drops project files by the thousand: keep them in memory.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
export QT_QPA_PLATFORM=offscreen

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for program in "$build"/bin/fuzz_*; do
        targets+=("${program##*/fuzz_}")
    done
fi

failed=()
mkdir -p "$build/fuzz-logs"
for name in "${targets[@]}"; do
    program="$build/bin/fuzz_$name"
    if [ ! -x "$program" ]; then
        echo "fuzz: no target $name in $build/bin" >&2
        failed+=("$name")
        continue
    fi
    # The inputs of pending.txt fail until mended: seed from the others.
    seeds="$here/corpus/$name"
    pending=$(sed -n "s|^$name/\([^ ]*\).*|\1|p" "$here/pending.txt")
    if [ -n "$pending" ]; then
        seeds="$build/fuzz-seeds/$name"
        rm -rf "$seeds"
        mkdir -p "$seeds"
        for input in "$here/corpus/$name"/*; do
            grep -qxF "${input##*/}" <<<"$pending" || ln -s "$input" "$seeds/"
        done
    fi
    work="$build/fuzz-corpus/$name"
    log="$build/fuzz-logs/$name.log"
    mkdir -p "$work"
    started=$SECONDS
    "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$here/corpus/$name/" "$work" "$seeds" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    printf '%-18s %10s runs in %ss\n' "$name" "${runs:-?}" "$((SECONDS - started))"
    if [ $status -ne 0 ]; then
        failed+=("$name")
        tail -n 40 "$log" >&2
        grep -o "Test unit written to .*" "$log" >&2
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz: findings or failures in: ${failed[*]} (logs in $build/fuzz-logs)" >&2
    exit 1
fi
