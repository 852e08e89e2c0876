#!/usr/bin/env python3
"""Counts the instructions each stage of `brell` executes per step, under valgrind's callgrind,
and fails when a stage grows past its bound. Instruction counts do not depend on how busy the
machine is, so the check cannot flake the way a timing does.

    python3 tests/perf/instruction_counts.py --build build [--brell PROGRAM] [--jobs sql,svg]

The workload is the first N and 10 N steps of the benchmarks' every-verb pipeline (every verb, one
step per line, a checker note every eighteen steps). For every backend and both drawings, one run
at each length; each stage's count is the inclusive cost of its function. A stage fails when its
count per step at 10 N passes its bound below, or when 10 N steps cost it more than GROWTH times
N steps. The whole process on the README example is counted as well: what starting costs. And
the dearest short sentence, which may run on the main thread's own stack, must take at most a
quarter of that stack (the sentence that opens a parenthesis with every byte, and the one that
nests as deep as it can and is written by every job).

The bounds are 1.5 times what this build counted when they were set (the figure beside each);
when a change makes a stage cheaper for good, lower its figure with it.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

STEPS = 180  # ten cycles of the eighteen verbs; the long run takes ten times as many
GROWTH = 11.0
MARGIN = 1.5

# Instructions per step at 10 N steps, as counted when the bound was set (RelWithDebInfo, GCC 12).
PER_STEP = {
    "parse": 51_400,
    "check": 6_800,
    "write sql": 19_100,
    "write spark": 19_400,
    "write dplyr": 15_900,
    "write pandas": 13_200,
    "write polars": 13_100,
    "write pyspark": 28_300,
    "write brell": 2_200,
    "ladder": 7_300,
    "draw text": 62_800,
    "draw svg": 210_900,
}
# The README example as a whole process, instructions from the first to the last.
STARTUP = ("startup", 122_900)

# A sentence of at most 256 bytes runs on the main thread's own stack when that may grow to
# 8 MiB (core/src/front/deep_stack.hpp), which holds when such a sentence needs at most a quarter
# of it. Parentheses nest deepest for their bytes.
SHORT_TEXT_BYTES = 256
SHORT_TEXT_STACK_LIMIT = 2 << 20
SHORT_TEXT_STACK_WAS = 1_665_632  # bytes, the deepest of the jobs

README_COLUMNS = "region:text,revenue:number"
README_SENTENCE = 'sales then keep where [region] is "West" then take 10'

# Each stage's function, as callgrind names it.
FUNCTIONS = {
    "parse": r"brell::parse\(std::basic_string_view",
    "check": r"brell::check\(brell::Pipeline",
    "write": r"Backend::write\(brell::CheckedPipeline const&",
    "ladder": r"brell::build_ladder\(",
    "draw text": r"brell::draw_text\[?[^(]*\(brell::Ladder",
    "draw svg": r"brell::draw_svg\[?[^(]*\(brell::Ladder",
}
BACKENDS = ["sql", "spark", "dplyr", "pandas", "polars", "pyspark", "brell"]
JOBS = [["--as", name] for name in BACKENDS] + [["--draw", "text"], ["--draw", "svg"]]


def counted(brell, arguments, stdin_text, folder):
    """The inclusive instruction count of every function of one run, and the whole run's."""
    out = os.path.join(folder, "callgrind.out")
    run = subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}", brell,
                          *arguments], input=stdin_text.encode(), stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE)
    if run.returncode != 0:
        sys.exit(f"brell {' '.join(arguments[-2:])} exited {run.returncode} under valgrind:\n"
                 f"{run.stderr.decode(errors='replace')[-2000:]}")
    annotated = subprocess.run(["callgrind_annotate", "--inclusive=yes", "--threshold=100",
                                "--auto=no", out],
                               check=True, capture_output=True, text=True).stdout
    total = 0
    functions = {}
    for line in annotated.splitlines():
        match = re.match(r"\s*([\d,]+) \(\s*[\d.]+%\)\s+(.*)$", line)
        if not match:
            continue
        cost = int(match.group(1).replace(",", ""))
        if match.group(2).startswith("PROGRAM TOTALS"):
            total = cost
            continue
        # callgrind_annotate splits a function by the source file of its lines (inlined headers
        # apart); the entry through its own file holds the whole inclusive cost, the largest.
        name = match.group(2).removeprefix("=> ").split(":", 1)[-1]
        functions[name] = max(functions.get(name, 0), cost)
    return total, functions


def peak_stack(brell, arguments, folder):
    """The most stack one run held, in bytes, as valgrind's massif saw it."""
    out = os.path.join(folder, "massif.out")
    run = subprocess.run(["valgrind", "--tool=massif", "--stacks=yes", "--heap=no",
                          f"--massif-out-file={out}", brell, *arguments],
                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE)
    if run.returncode not in (0, 2):
        sys.exit(f"brell {' '.join(arguments[-3:-1])} on a short deep sentence exited "
                 f"{run.returncode} under valgrind:\n{run.stderr.decode(errors='replace')[-2000:]}")
    with open(out) as snapshots:
        return max(int(line.split("=")[1]) for line in snapshots
                   if line.startswith("mem_stacks_B="))


def stage_cost(functions, pattern):
    costs = [cost for name, cost in functions.items() if re.search(pattern, name)]
    if not costs:
        sys.exit(f"no function matching {pattern!r} was counted: has it been renamed?")
    return max(costs)


def stages_of(job, functions):
    """The stages one job runs, with their counts."""
    stages = {"parse": stage_cost(functions, FUNCTIONS["parse"])}
    if job[0] == "--as":
        stages["check"] = stage_cost(functions, FUNCTIONS["check"])
        stages[f"write {job[1]}"] = stage_cost(functions, FUNCTIONS["write"])
    else:
        stages["ladder"] = stage_cost(functions, FUNCTIONS["ladder"])
        stages[f"draw {job[1]}"] = stage_cost(functions, FUNCTIONS[f"draw {job[1]}"])
    return stages


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--brell", help="the program to count (default: BUILD/brell)")
    parser.add_argument("--jobs", help="comma-separated backends and drawings (default: all)")
    options = parser.parse_args()
    for tool in ("valgrind", "callgrind_annotate"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is not installed: `bash tests/setup.sh` installs it")
    build = os.path.abspath(options.build)
    brell = os.path.abspath(options.brell or os.path.join(build, "brell"))
    write_workload = os.path.join(build, "bench", "write_workload")

    def workload(part):
        return subprocess.run([write_workload, "every_verb_10000", part], check=True,
                              capture_output=True, text=True).stdout

    lines = workload("sentence").splitlines(keepends=True)
    columns = []
    for line in workload("columns").splitlines():
        columns += ["--columns", line]
    # The first line names the table; each line after it is one step.
    sentences = {steps: "".join(lines[:1 + steps]) for steps in (STEPS, 10 * STEPS)}

    jobs = [job for job in JOBS if not options.jobs or job[1] in options.jobs.split(",")]
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        startup, _ = counted(brell, ["--columns", README_COLUMNS, README_SENTENCE], "", folder)
        limit = STARTUP[1] * MARGIN
        print(f"{'startup (README example)':26} {startup:>14,} instructions   "
              f"bound {limit:>12,.0f}   (was {STARTUP[1]:,})")
        if startup > limit:
            failures.append(STARTUP[0])

        print(f"\n{'stage':26} {'per step':>14}   {'bound':>12}   {'was':>8}   "
              f"{10 * STEPS} against {STEPS} steps (bound {GROWTH})")
        seen = set()
        for job in jobs:
            short = stages_of(job, counted(brell, columns + job, sentences[STEPS], folder)[1])
            long_ = stages_of(job, counted(brell, columns + job, sentences[10 * STEPS],
                                           folder)[1])
            for stage, cost in long_.items():
                # Parsing runs in every job alike; it is reported once.
                if stage in seen:
                    continue
                seen.add(stage)
                per_step = cost / (10 * STEPS)
                bound = PER_STEP[stage] * MARGIN
                growth = cost / short[stage]
                print(f"{stage:26} {per_step:>14,.0f}   {bound:>12,.0f}   {PER_STEP[stage]:>8,}"
                      f"   {growth:6.2f}", flush=True)
                if per_step > bound:
                    failures.append(f"{stage} per step")
                if growth > GROWTH:
                    failures.append(f"{stage} growth")

        head = "t then keep where "
        opened = (SHORT_TEXT_BYTES - len(head)) // 2 - 4
        deep = [head + "(" * (SHORT_TEXT_BYTES - len(head)),  # refused once it is read
                head + "(" * opened + "[a]" + ")" * opened + " > 1"]  # written by every job
        assert all(len(sentence) <= SHORT_TEXT_BYTES for sentence in deep)
        deepest = max(peak_stack(brell, ["--columns", "a:number", *job, sentence], folder)
                      for job in jobs for sentence in deep)
        print(f"\n{'stack, short deep sentence':26} {deepest:>14,} bytes        "
              f"bound {SHORT_TEXT_STACK_LIMIT:>12,}   (was {SHORT_TEXT_STACK_WAS:,})")
        if deepest > SHORT_TEXT_STACK_LIMIT:
            failures.append("stack of a short sentence")

    if failures:
        print("\nover the bound: " + "; ".join(failures))
        return 1
    print("\nevery stage within its bound")
    return 0


if __name__ == "__main__":
    sys.exit(main())
