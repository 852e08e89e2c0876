#!/usr/bin/env python3
"""Times the whole `brell` process on the benchmark workloads, for every backend and both
drawings: wall time and peak memory (the median of several runs), beside a minimal C++ program
built with the same flags. Then checks the targets the README states and exits 1 when one fails.

    python3 bench/time_brell.py [--build build] [--runs 5] [--startup-runs 300]
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

JOBS = [["--as", name] for name in ("sql", "spark", "dplyr", "pandas", "polars", "pyspark",
                                    "brell")] + [["--draw", "text"], ["--draw", "svg"]]

# Targets: the README example against the minimal program; the 100,000-step pipeline against the
# 10,000-step one; the wide table against the narrow one, per output byte.
STARTUP_LIMIT = 1.5
LENGTH_PAIR = ("every_verb_10000", "every_verb_100000", 12.0)
WIDTH_PAIR = ("wide_10_columns_1000", "wide_2000_columns_1000", 4.0)


def run_once(command, stdin_path):
    """Wall seconds, peak resident kilobytes and output bytes of one run."""
    with open(stdin_path, "rb") as stdin, tempfile.TemporaryFile() as out, \
            tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        process = subprocess.Popen(command, stdin=stdin, stdout=out, stderr=err)
        _, status, usage = os.wait4(process.pid, 0)
        wall = time.perf_counter() - start
        process.returncode = os.waitstatus_to_exitcode(status)
        if process.returncode != 0:
            err.seek(0)
            sys.exit(f"{' '.join(command[:4])} ... exited {process.returncode}: "
                     f"{err.read()[:500].decode(errors='replace')}")
        out.seek(0, os.SEEK_END)
        err.seek(0, os.SEEK_END)
        return wall, usage.ru_maxrss, out.tell() + err.tell()


def median_of(runs):
    return (statistics.median(r[0] for r in runs), statistics.median(r[1] for r in runs),
            runs[0][2])


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

    brell = os.path.join(options.build, "brell")
    minimal = os.path.join(options.build, "bench", "minimal_program")
    listing = subprocess.run([os.path.join(options.build, "bench", "write_workload")],
                             check=True, capture_output=True, text=True).stdout
    names = [line.split("\t")[0] for line in listing.splitlines()]
    if options.workloads:
        names = [name for name in names if name in options.workloads.split(",")]

    results = {}
    with tempfile.TemporaryDirectory() as folder:
        for name in names:
            sentence_path = os.path.join(folder, name)
            with open(sentence_path, "wb") as sentence:
                sentence.write(workload(options.build, name, "sentence"))
            columns = []
            for line in workload(options.build, name, "columns").decode().splitlines():
                columns += ["--columns", line]
            for job in JOBS:
                command = [brell, *columns, *job]
                runs = [run_once(command, sentence_path) for _ in range(options.runs)]
                results[(name, job[1])] = median_of(runs)
                wall, memory, output = results[(name, job[1])]
                print(f"{name:24} {job[1]:8} {wall * 1000:10.2f} ms {memory / 1024:8.1f} MiB "
                      f"{output:>11} bytes out", flush=True)

        failures = []
        if "readme" in names:
            # Alternate the two programs so that both see the same machine.
            readme_columns = workload(options.build, "readme", "columns").decode().split()
            readme_sentence = workload(options.build, "readme", "sentence").decode()
            empty = os.path.join(folder, "empty")
            open(empty, "wb").close()
            brell_runs, minimal_runs = [], []
            for _ in range(options.startup_runs):
                brell_runs.append(run_once([brell, "--columns", *readme_columns,
                                            readme_sentence], empty))
                minimal_runs.append(run_once([minimal, readme_sentence], empty))
            brell_wall, brell_memory, _ = median_of(brell_runs)
            minimal_wall, minimal_memory, _ = median_of(minimal_runs)
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
