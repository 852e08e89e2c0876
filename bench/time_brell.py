#!/usr/bin/env python3
"""Times the whole `brell` process on the benchmark workloads, for every backend and both
drawings: wall time, processor time and peak memory (the median of several runs, each started by
the small `run_measured` launcher), beside a minimal C++ program built with the same flags. Then
checks the targets the README states, prints them as the README's table, and exits 1 when one
fails.

    python3 bench/time_brell.py [--build build] [--runs 5] [--million-runs 1]
                                [--skip-million] [--startup-runs 300] [--workloads a,b]
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile

JOBS = [["--as", name] for name in ("sql", "spark", "dplyr", "pandas", "polars", "pyspark",
                                    "brell")] + [["--draw", "text"], ["--draw", "svg"]]

# Targets: the README example against the minimal program; peak memory at 100,000 steps per byte
# of sentence (a drawing may hold its output besides); 1,000,000 steps against 100,000 in processor
# time and memory; the wide table against the narrow one, per output byte.
STARTUP_LIMIT = 1.5
MEMORY_WORKLOAD = "every_verb_100000"
MEMORY_PER_INPUT_BYTE = 20.0
MILLION = "every_verb_1000000"
GROWTH_PAIR = (MEMORY_WORKLOAD, MILLION, 11.0)
WIDTH_PAIR = ("wide_10_columns_1000", "wide_2000_columns_1000", 4.0)


def run_once(build, command, stdin_path, folder, keep_output=False):
    """Wall seconds, peak resident KiB, output bytes and processor seconds (user and system) of
    one run, measured by run_measured.
    Timed runs write to /dev/null, so that the disk's speed is not measured with brell's; a run
    that keeps its output counts its bytes (and is not timed)."""
    out, err = os.path.join(folder, "out"), os.path.join(folder, "err")
    sink = out if keep_output else os.devnull
    measured = subprocess.run([os.path.join(build, "bench", "run_measured"), stdin_path, sink, err,
                               *command], check=True, capture_output=True, text=True).stdout
    wall, peak, status, processor = measured.split()
    if status != "0":
        with open(err, "rb") as refused:
            sys.exit(f"{' '.join(command[:4])} ... exited {status}: "
                     f"{refused.read()[:500].decode(errors='replace')}")
    written = os.path.getsize(out) if keep_output else 0
    return float(wall), int(peak), written + os.path.getsize(err), float(processor)


def median_of(runs):
    """The median wall time, the median peak memory and the median processor time."""
    return (statistics.median(r[0] for r in runs), statistics.median(r[1] for r in runs),
            statistics.median(r[3] for r in runs))


def workload(build, name, part):
    return subprocess.run([os.path.join(build, "bench", "write_workload"), name, part],
                          check=True, capture_output=True).stdout


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--million-runs", type=int, default=1,
                        help="runs of the 1,000,000-step workload (each takes seconds to minutes)")
    parser.add_argument("--skip-million", action="store_true",
                        help="leave out the 1,000,000-step workload and the growth target")
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
    if options.skip_million:
        names = [name for name in names if name != MILLION]

    results = {}
    with tempfile.TemporaryDirectory() as folder:
        commands, input_bytes = {}, {}
        for name in names:
            sentence_path = os.path.join(folder, name)
            with open(sentence_path, "wb") as sentence:
                text = workload(build, name, "sentence")
                sentence.write(text)
                input_bytes[name] = len(text)
            columns = []
            for line in workload(build, name, "columns").decode().splitlines():
                columns += ["--columns", line]
            commands[name] = (columns, sentence_path)
        for job in JOBS:
            # The workloads take turns, so that the two sides of every ratio see the same machine.
            runs = {name: [] for name in names}
            for turn in range(max(options.runs, options.million_runs)):
                for name in names:
                    if turn >= (options.million_runs if name == MILLION else options.runs):
                        continue
                    columns, sentence_path = commands[name]
                    runs[name].append(run_once(build, [brell, *columns, *job], sentence_path,
                                               folder))
            for name in names:
                columns, sentence_path = commands[name]
                # The million-step output (gigabytes for the SVG) is not kept: no target reads it.
                output = 0 if name == MILLION else run_once(
                    build, [brell, *columns, *job], sentence_path, folder, keep_output=True)[2]
                wall, memory, processor = median_of(runs[name])
                results[(name, job[1])] = (wall, memory, output, processor)
                print(f"{name:24} {job[1]:8} {wall * 1000:10.2f} ms {processor * 1000:10.2f} ms cpu"
                      f" {memory / 1024:8.1f} MiB {output:>11} bytes out", flush=True)

        failures, table = [], []
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
            brell_wall, brell_memory, _ = median_of(brell_runs)
            minimal_wall, minimal_memory, _ = median_of(minimal_runs)
            ratio = brell_wall / minimal_wall
            print(f"\nREADME example, whole process: brell {brell_wall * 1000:.3f} ms, "
                  f"{brell_memory / 1024:.1f} MiB; minimal program {minimal_wall * 1000:.3f} ms, "
                  f"{minimal_memory / 1024:.1f} MiB; ratio {ratio:.2f} (limit {STARTUP_LIMIT})")
            table.append(("README example, whole process, against a minimal C++ program built "
                          "with the same flags, alternating", f"{STARTUP_LIMIT}×",
                          f"{ratio:.2f}× ({brell_wall * 1000:.2f} ms against "
                          f"{minimal_wall * 1000:.2f} ms)"))
            if ratio > STARTUP_LIMIT:
                failures.append("README example")

        if MEMORY_WORKLOAD in names:
            # A backend's peak, per byte of sentence, at most MEMORY_PER_INPUT_BYTE; a drawing's
            # at most its output plus as much (a drawing written out as it is made holds less).
            size = input_bytes[MEMORY_WORKLOAD]
            print(f"\n{MEMORY_WORKLOAD} ({size} bytes of sentence), peak memory per byte of "
                  f"sentence (limit {MEMORY_PER_INPUT_BYTE}, a drawing's output added):")
            per_byte, allowed = {}, {}
            for job in JOBS:
                _, memory, output, _ = results[(MEMORY_WORKLOAD, job[1])]
                per_byte[job[1]] = memory * 1024 / size
                allowed[job[1]] = (output if job[0] == "--draw" else 0) + \
                    MEMORY_PER_INPUT_BYTE * size
                print(f"  {job[1]:8} {per_byte[job[1]]:6.1f} bytes   ({memory / 1024:.1f} MiB, "
                      f"{output} bytes out, {allowed[job[1]] / 2**20:.1f} MiB allowed)")
                if memory * 1024 > allowed[job[1]]:
                    failures.append(f"memory, {job[1]}")
            backends = [per_byte[job[1]] for job in JOBS if job[0] == "--as"]
            table.append(("100,000 steps, peak memory per byte of sentence, every backend",
                          f"{MEMORY_PER_INPUT_BYTE:.0f} B", f"{min(backends):.1f} to "
                          f"{max(backends):.1f} B"))
            for way in ("text", "svg"):
                _, memory, output, _ = results[(MEMORY_WORKLOAD, way)]
                table.append((f"100,000 steps, `--draw {way}`: peak memory, against its output "
                              "plus 20 B per byte of sentence",
                              f"{allowed[way] / 2**20:.1f} MiB",
                              f"{memory / 1024:.1f} MiB ({per_byte[way]:.1f} B per byte of "
                              f"sentence; {output / 1e6:.0f} MB out)"))

        short, long_, limit = GROWTH_PAIR
        if short in names and long_ in names:
            print(f"\n{long_} against {short} (limit {limit} in processor time and memory):")
            times, memories = [], []
            for job in JOBS:
                first, second = results[(short, job[1])], results[(long_, job[1])]
                time_ratio, memory_ratio = second[3] / first[3], second[1] / first[1]
                times.append(time_ratio)
                memories.append(memory_ratio)
                print(f"  {job[1]:8} time {time_ratio:6.2f}   memory {memory_ratio:6.2f}   "
                      f"(wall {second[0] / first[0]:6.2f})")
                if time_ratio > limit or memory_ratio > limit:
                    failures.append(f"growth, {job[1]}")
            table.append(("1,000,000 steps against 100,000, processor time, every backend and "
                          "drawing", f"{limit:.0f}×", f"{min(times):.2f}× to {max(times):.2f}×"))
            table.append(("1,000,000 steps against 100,000, peak memory", f"{limit:.0f}×",
                          f"{min(memories):.2f}× to {max(memories):.2f}×"))

        narrow, wide, limit = WIDTH_PAIR
        if narrow in names and wide in names:
            print(f"\n{wide} against {narrow}, time per output byte (limit {limit}):")
            ratios = []
            for job in JOBS:
                (t1, _, o1, _), (t2, _, o2, _) = (results[(narrow, job[1])],
                                                  results[(wide, job[1])])
                ratio = (t2 / o2) / (t1 / o1)
                ratios.append(ratio)
                print(f"  {job[1]:8} {ratio:6.2f}   ({o1} and {o2} bytes out)")
                if ratio > limit:
                    failures.append(f"width, {job[1]}")
            table.append(("2,000 columns × 1,000 steps against 10 columns × 1,000 steps, time per "
                          "output byte", f"{limit:.0f}×", f"{min(ratios):.2f}× to "
                          f"{max(ratios):.2f}×"))

    if table:
        print("\n| target | limit | measured |\n|---|---|---|")
        for row in table:
            print("| " + " | ".join(row) + " |")

    if failures:
        print("\ntargets missed: " + "; ".join(failures))
        return 1
    print("\nevery target held")
    return 0


if __name__ == "__main__":
    sys.exit(main())
