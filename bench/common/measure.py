#!/usr/bin/env python3
"""Whole-process timing: runs each command N times, interleaved, and reports the median wall
time, the median CPU time (user + system, which other load on the machine disturbs less than the
wall time) and the peak resident memory of each, and the ratios of each to the first (the baseline).

usage: measure.py [-n RUNS] [--env NAME=VALUE]... -- NAME=COMMAND... [-- NAME=COMMAND...]
"""
import argparse
import os
import shlex
import statistics
import subprocess
import sys
import time


def run_once(argv, env):
    start = time.perf_counter()
    process = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    errors = process.stderr.read().decode(errors="replace")
    if process.returncode != 0:
        sys.exit(f"{argv[0]} failed with status {process.returncode}: {errors.strip()}")
    return elapsed, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("-n", "--runs", type=int, default=10)
    parser.add_argument("--env", action="append", default=[])
    parser.add_argument("commands", nargs="+", help="NAME=COMMAND (shell words)")
    options = parser.parse_args()
    env = dict(os.environ)
    for item in options.env:
        name, _, value = item.partition("=")
        env[name] = value
    commands = []
    for item in options.commands:
        if item == "--":
            continue
        name, _, command = item.partition("=")
        commands.append((name, shlex.split(command)))
    times = {name: [] for name, _ in commands}
    cpu = {name: [] for name, _ in commands}
    peaks = {name: 0.0 for name, _ in commands}
    for _ in range(options.runs):
        for name, argv in commands:
            elapsed, used, peak = run_once(argv, env)
            times[name].append(elapsed)
            cpu[name].append(used)
            peaks[name] = max(peaks[name], peak)
    baseline = statistics.median(times[commands[0][0]])
    cpu_baseline = statistics.median(cpu[commands[0][0]])
    print(f"{'command':<20} {'median ms':>10} {'ratio':>7} {'cpu ms':>8} {'ratio':>7} {'peak MB':>8}"
          f"  ({options.runs} runs each)")
    for name, _ in commands:
        median = statistics.median(times[name])
        cpu_median = statistics.median(cpu[name])
        print(f"{name:<20} {median * 1000:>10.1f} {median / baseline:>7.2f} {cpu_median * 1000:>8.1f}"
              f" {cpu_median / cpu_baseline:>7.2f} {peaks[name]:>8.1f}")


if __name__ == "__main__":
    main()
