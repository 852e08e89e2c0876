#!/usr/bin/env python3
"""Times the whole `brell` process on the benchmark workloads, for every backend and both
drawings: wall time and peak memory (the median of several runs, each started by the small
`run_measured` launcher), beside a minimal C++ program built with the same flags. Then checks the
targets the README states and exits 1 when one fails.

    python3 bench/time_brell.py [--build build] [--runs 5] [--startup-runs 300]
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile

JOBS = [["--as", name] for name in ("sql", "spark", "dplyr", "pandas", "polars", "pyspark",
                                    "brell")] + [["--draw", "text"], ["--draw", "svg"]]

# Targets: the README example against the minimal program; the 100,000-step pipeline against the
# 10,000-step one; the wide table against the narrow one, per output byte.
STARTUP_LIMIT = 1.5
LENGTH_PAIR = ("every_verb_10000", "every_verb_100000", 12.0)
WIDTH_PAIR = ("wide_10_columns_1000", "wide_2000_columns_1000", 4.0)


def run_once(build, command, stdin_path, folder, keep_output=False):
    """Wall seconds, peak resident KiB and output bytes of one run, measured by run_measured.
    Timed runs write to /dev/null, so that the disk's speed is not measured with brell's; a run
    that keeps its output counts its bytes (and is not timed)."""
    out, err = os.path.join(folder, "out"), os.path.join(folder, "err")
    sink = out if keep_output else os.devnull
    measured = subprocess.run([os.path.join(build, "bench", "run_measured"), stdin_path, sink, err,
                               *command], check=True, capture_output=True, text=True).stdout
    wall, peak, status = measured.split()
    if status != "0":
        with open(err, "rb") as refused:
            sys.exit(f"{' '.join(command[:4])} ... exited {status}: "
                     f"{refused.read()[:500].decode(errors='replace')}")
    written = os.path.getsize(out) if keep_output else 0
    return float(wall), int(peak), written + os.path.getsize(err)


def median_of(runs):
    """The median wall time and the median peak memory."""
    return statistics.median(r[0] for r in runs), statistics.median(r[1] for r in runs)


def workload(build, name, part):
    return subprocess.run([os.path.join(build, "bench", "write_workload"), name, part],
                          check=True, capture_output=True).stdout


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--startup-runs", type=int, default=300)
    parser.add_argument("--workloads", help="comma-separated names (default: all)")
    options = parser.parse_args()

    build = os.path.abspath(options.build)
    brell = os.path.join(build, "brell")
    minimal = os.path.join(build, "bench", "minimal_program")
    listing = subprocess.run([os.path.join(build, "bench", "write_workload")],
                             check=True, capture_output=True, text=True).stdout
    names = [line.split("\t")[0] for line in listing.splitlines()]
    if options.workloads:
        names = [name for name in names if name in options.workloads.split(",")]

    results = {}
    with tempfile.TemporaryDirectory() as folder:
        commands = {}
        for name in names:
            sentence_path = os.path.join(folder, name)
            with open(sentence_path, "wb") as sentence:
                sentence.write(workload(build, name, "sentence"))
            columns = []
            for line in workload(build, name, "columns").decode().splitlines():
                columns += ["--columns", line]
            commands[name] = (columns, sentence_path)
        for job in JOBS:
            # The workloads take turns, so that the two sides of every ratio see the same machine.
            runs = {name: [] for name in names}
            for _ in range(options.runs):
                for name in names:
                    columns, sentence_path = commands[name]
                    runs[name].append(run_once(build, [brell, *columns, *job], sentence_path,
                                               folder))
            for name in names:
                columns, sentence_path = commands[name]
                output = run_once(build, [brell, *columns, *job], sentence_path, folder,
                                  keep_output=True)[2]
                wall, memory = median_of(runs[name])
                results[(name, job[1])] = (wall, memory, output)
                print(f"{name:24} {job[1]:8} {wall * 1000:10.2f} ms {memory / 1024:8.1f} MiB "
                      f"{output:>11} bytes out", flush=True)

        failures = []
        if "readme" in names:
            # Alternate the two programs so that both see the same machine.
            readme_columns = workload(build, "readme", "columns").decode().split()
            readme_sentence = workload(build, "readme", "sentence").decode()
            empty = os.path.join(folder, "empty")
            open(empty, "wb").close()
            brell_runs, minimal_runs = [], []
            for _ in range(options.startup_runs):
                brell_runs.append(run_once(build, [brell, "--columns", *readme_columns,
                                                   readme_sentence], empty, folder))
                minimal_runs.append(run_once(build, [minimal, readme_sentence], empty, folder))
            brell_wall, brell_memory = median_of(brell_runs)
            minimal_wall, minimal_memory = median_of(minimal_runs)
            ratio = brell_wall / minimal_wall
            print(f"\nREADME example, whole process: brell {brell_wall * 1000:.3f} ms, "
                  f"{brell_memory / 1024:.1f} MiB; minimal program {minimal_wall * 1000:.3f} ms, "
                  f"{minimal_memory / 1024:.1f} MiB; ratio {ratio:.2f} (limit {STARTUP_LIMIT})")
            if ratio > STARTUP_LIMIT:
                failures.append("README example")

        short, long_, limit = LENGTH_PAIR
        if short in names and long_ in names:
            print(f"\n{long_} against {short} (limit {limit} in time and memory):")
            for job in JOBS:
                (t1, m1, _), (t2, m2, _) = results[(short, job[1])], results[(long_, job[1])]
                print(f"  {job[1]:8} time {t2 / t1:6.2f}   memory {m2 / m1:6.2f}")
                if t2 / t1 > limit or m2 / m1 > limit:
                    failures.append(f"length, {job[1]}")

        narrow, wide, limit = WIDTH_PAIR
        if narrow in names and wide in names:
            print(f"\n{wide} against {narrow}, time per output byte (limit {limit}):")
            for job in JOBS:
                (t1, _, o1), (t2, _, o2) = results[(narrow, job[1])], results[(wide, job[1])]
                ratio = (t2 / o2) / (t1 / o1)
                print(f"  {job[1]:8} {ratio:6.2f}   ({o1} and {o2} bytes out)")
                if ratio > limit:
                    failures.append(f"width, {job[1]}")

    if failures:
        print("\ntargets missed: " + "; ".join(failures))
        return 1
    print("\nevery target held")
    return 0


if __name__ == "__main__":
    sys.exit(main())
