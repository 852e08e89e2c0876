#!/usr/bin/env python3
"""Times `brell.compile` in process, with the package installed in the running Python:

    python bench/time_python.py [--build build]

Two sentences: the README example, and the first 100 steps of the cycle through every verb that
the stage benchmarks use (`every_verb_1000`, printed by the build's `bench/write_workload`), over
its ten-column table. Each is compiled to every backend; the figure is the best of five `timeit`
repeats, per call.
"""

from __future__ import annotations

import argparse
import os
import subprocess
import sys
import timeit

import brell


def workload(build: str, name: str, part: str) -> str:
    return subprocess.run([os.path.join(build, "bench", "write_workload"), name, part],
                          check=True, capture_output=True, text=True).stdout


def hundred_steps(build: str):
    """The first 100 steps of the every-verb cycle (one step a line), its head table's columns
    and the other tables it reads."""
    lines = workload(build, "every_verb_1000", "sentence").splitlines()
    head, *named = workload(build, "every_verb_1000", "columns").splitlines()
    tables = dict(line.split("=", 1) for line in named)
    return "\n".join(lines[:101]) + "\n", head, tables


def per_call(sentence: str, columns: str, tables, backend: str) -> float:
    timer = timeit.Timer(lambda: brell.compile(sentence, columns, backend, tables))
    number, _ = timer.autorange()
    return min(timer.repeat(repeat=5, number=number)) / number


def main() -> int:
    import warnings

    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    options = parser.parse_args()
    workloads = {
        "README example": (
            'sales then keep where [region] is "West" then take 10',
            "region:text,revenue:number",
            None,
        ),
        "100 steps": hundred_steps(options.build),
    }
    warnings.simplefilter("ignore", brell.Note)  # the 100 steps carry notes; issuing them is timed
    print(f"{'workload':<16} {'backend':<8} {'per call':>12}")
    for name, (sentence, columns, tables) in workloads.items():
        for backend in brell.backends():
            seconds = per_call(sentence, columns, tables, backend)
            print(f"{name:<16} {backend:<8} {seconds * 1e6:>9.1f} µs")
    return 0


if __name__ == "__main__":
    sys.exit(main())
