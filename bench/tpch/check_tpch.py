#!/usr/bin/env python3
"""Checks the rows of the 22 TPC-H sentences on every engine against the official answers, at a
small scale factor: brell's program for each of the engine's targets, and the yardstick written
by hand beside it (DuckDB's official SQL, the polars and pandas programs of this folder).

    check_tpch.py --brell build/brell [--scale 0.01] [--engines duckdb,polars,pandas,spark]

Run by the engines' Python (tests/setup.sh prints it). The data is made on the first run (see
tpch_data.py). Every wrong row, failed program and engine that cannot be loaded is a failure;
the run ends with "N passed, M failed".
"""

import argparse
import functools
import pathlib
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from answers import differences, read_answer  # noqa: E402
from tpch_data import ensure_data  # noqa: E402
from tpch_engines import TARGETS, open_engine, stop_spark  # noqa: E402
from tpch_programs import QUERIES, ordered, program  # noqa: E402

ALL_TABLES = ("region", "nation", "supplier", "customer", "part", "partsupp", "orders",
              "lineitem")
print = functools.partial(print, flush=True)  # noqa: A001


def check(engine, data_dir, number, label, run):
    """One program's rows against the answer: None when right, else what is wrong."""
    _, expected = read_answer(data_dir / "answers" / f"q{number:02}.csv")
    try:
        rows = engine.rows(run())
    except Exception as error:  # the program failing is what the check reports
        return f"failed: {type(error).__name__}: {str(error).strip()[:2000]}"
    return differences(expected, rows, ordered(data_dir, number))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--brell", required=True)
    parser.add_argument("--scale", type=float, default=0.01)
    parser.add_argument("--engines", default="duckdb,polars,pandas,spark")
    parser.add_argument("--queries", default=",".join(map(str, QUERIES)))
    options = parser.parse_args()
    numbers = [int(number) for number in options.queries.split(",")]
    unknown = [name for name in options.engines.split(",") if name not in TARGETS]
    if unknown:
        parser.error(f"no engine {unknown[0]!r}; the engines are {', '.join(TARGETS)}")
    data_dir = ensure_data(options.scale)
    passed = failed = 0
    for name in options.engines.split(","):
        started = time.monotonic()
        try:
            engine = open_engine(name, data_dir, ALL_TABLES)
        except Exception as error:  # a missing engine fails the run
            print(f"FAIL {name}: the engine cannot be loaded: {type(error).__name__}: {error}")
            failed += len(numbers) * (len(TARGETS[name]) + 1)
            continue
        for number in numbers:
            runs = []
            for target in TARGETS[name]:
                try:
                    runs.append((f"brell --as {target}", functools.partial(
                        engine.run_brell, target, program(options.brell, number, target))))
                except RuntimeError as error:  # brell refused the sentence for this target
                    failed += 1
                    print(f"FAIL {name} Q{number} brell --as {target}: {error}")
            runs.append(("yardstick", functools.partial(engine.run_yardstick, number)))
            for label, run in runs:
                problem = check(engine, data_dir, number, label, run)
                if problem is None:
                    passed += 1
                else:
                    failed += 1
                    print(f"FAIL {name} Q{number} {label}: {problem}")
        engine.close()
        print(f"{name}: {time.monotonic() - started:.1f} s")
    stop_spark()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
