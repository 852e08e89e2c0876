#!/usr/bin/env python3
"""Times `brell.compile` in process, with the package installed in the running Python:

    python bench/time_python.py

Two sentences: the README example, and 100 steps of the cycle through every verb that the
stage benchmarks use (bench/workloads.cpp, `every_verb_*`), over its ten-column table. Each is
compiled to every backend; the figure is the best of five `timeit` repeats, per call.
"""

from __future__ import annotations

import sys
import timeit

import brell

KNOWN = "id:number,region:text,amount:number,units:number,day:date"
COLUMNS = KNOWN + "".join(f",c{column}:number" for column in range(5, 10))
SUMMARIZE = (
    "summarize [amount] as total([amount]), [units] as average([units]), [day] as largest([day]), "
    "[c5] as median([c5]), [c6] as smallest([c6]), [c7] as largest([c7]), "
    "[c8] as standard_deviation([c8]), [c9] as total([c9]) by [id, region]"
)
CYCLE = [
    'keep where [amount] > 10 and [region] is not "North"',
    "sort [amount] descending, [id]",
    "add [extra] as [amount] * 2 + [units], [so_far] as running_total([amount])",
    "take 1000",
    "take_last 500",
    "pick all_but [extra, so_far]",
    "join regions by [region]",
    "pick all_but [manager]",
    "add_rows more",
    "drop_duplicates",
    "rename [cost] as [amount]",
    "rename [amount] as [cost]",
    "drop_missing [amount]",
    "fill_missing [units] as 0",
    "add_combinations [region, id]",
    "lengthen [amount, units] as name [measure], value [reading]",
    "widen name [measure], value [reading] giving [amount, units]",
    SUMMARIZE,
]


def hundred_steps() -> str:
    return "t" + "".join(f"\nthen {CYCLE[step % len(CYCLE)]}" for step in range(100)) + "\n"


WORKLOADS = {
    "README example": (
        'sales then keep where [region] is "West" then take 10',
        "region:text,revenue:number",
        None,
    ),
    "100 steps": (
        hundred_steps(),
        COLUMNS,
        {"more": COLUMNS, "regions": "region:text,manager:text"},
    ),
}


def per_call(sentence: str, columns: str, tables, backend: str) -> float:
    timer = timeit.Timer(lambda: brell.compile(sentence, columns, backend, tables))
    number, _ = timer.autorange()
    return min(timer.repeat(repeat=5, number=number)) / number


def main() -> int:
    import warnings

    warnings.simplefilter("ignore", brell.Note)  # the 100 steps carry notes; issuing them is timed
    print(f"{'workload':<16} {'backend':<8} {'per call':>12}")
    for name, (sentence, columns, tables) in WORKLOADS.items():
        for backend in brell.backends():
            seconds = per_call(sentence, columns, tables, backend)
            print(f"{name:<16} {backend:<8} {seconds * 1e6:>9.1f} µs")
    return 0


if __name__ == "__main__":
    sys.exit(main())
