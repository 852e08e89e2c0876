#!/usr/bin/env python3
"""Runs the programs brell writes on one real engine and compares the rows each returns with the
rows its sentence means (see case_file.py for the case files).

Usage: run_engine_cases.py [--python PYTHON] --brell BRELL --engine ENGINE CASE_FILE...

ENGINE is duckdb (the `sql` target), spark (the `spark` target through `spark.sql` and the
`pyspark` target, on one local Spark session), pandas, polars or dplyr (through the R worker).
With `--python`, the driver runs itself again under that Python (the engines' virtual
environment) when it exists.

Each sentence is compiled with brell (an argument list, no shell) for each of the engine's
targets and run. A case passes when the engine gives the rows the case expects, or, where the case
says that target differs, exactly the rows (or the failure) written there. Each failing case prints
a FAIL block; the run ends with the time the engine took and "N passed, M failed".

When the engine cannot be loaded, every case is reported as skipped, loudly, and the exit status
is 77; when the environment variable CI is `true` a missing engine is a failure (status 1).
"""

import argparse
import functools
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from case_file import CaseFileError, columns_arguments, read_case_file  # noqa: E402
from compare_rows import compare, format_grid  # noqa: E402
from engines import ENGINES, EngineFailed, EngineMissing, open_engine  # noqa: E402

SKIP_STATUS = 77
TIMEOUT_SECONDS = 60
print = functools.partial(print, flush=True)  # noqa: A001 (a long run shows its progress)


def compile_sentence(brell, case, target):
    command = [brell, "--as", target] + columns_arguments(case) + [case.pipeline]
    done = subprocess.run(command, capture_output=True, text=True, timeout=TIMEOUT_SECONDS)
    if done.returncode != 0:
        raise AssertionError(f"brell exited with {done.returncode}:\n{done.stderr.rstrip()}")
    return done.stdout


def describe(expected):
    if expected.error is not None:
        return f"a failure whose message holds {expected.error!r}"
    header, rows = expected.grid
    order = "in order" if expected.ordered else "in any order"
    return f"rows {order}:\n" + format_grid([name for name, _ in header], rows,
                                             [kind for _, kind in header])


def run_case(engine, brell, case, target):
    """[] when the case passed on the target, else the problems to print."""
    expected = case.expected_on(target)
    try:
        program = compile_sentence(brell, case, target)
    except (AssertionError, subprocess.TimeoutExpired) as error:
        if expected.refused is not None and expected.refused in str(error):
            return []
        return [str(error)]
    if expected.refused is not None:
        return [f"brell wrote it, expected it to refuse with {expected.refused!r}", program]
    try:
        names, rows = engine.run(target, program, case.tables)
    except EngineFailed as error:
        if expected.error is not None and expected.error in str(error):
            return []
        return [f"{engine.name} failed: {error}", "expected " + describe(expected), program]
    if expected.error is not None:
        return ["it ran, expected " + describe(expected), "got:\n" + format_grid(names, rows),
                program]
    problems = compare(expected, names, rows, engine.leniency)
    if problems:
        problems += ["expected " + describe(expected), "got:\n" + format_grid(names, rows), program]
    return problems


def reexec_under(python):
    """Runs the driver again under the virtual environment's Python, when it is not already the
    one running (a venv's python is a link to the base one: the environment is told by its
    prefix, not by the executable's path)."""
    if not python or not os.path.exists(python) or os.environ.get("BRELL_ENGINES_REEXEC"):
        return
    environment = os.path.dirname(os.path.dirname(os.path.abspath(python)))
    if os.path.realpath(sys.prefix) != os.path.realpath(environment):
        os.environ["BRELL_ENGINES_REEXEC"] = "1"
        os.execv(python, [python] + sys.argv)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--python")
    parser.add_argument("--brell", required=True)
    parser.add_argument("--engine", required=True, choices=ENGINES)
    parser.add_argument("files", nargs="+")
    options = parser.parse_args()
    reexec_under(options.python)
    try:
        every_case = [case for path in options.files for case in read_case_file(path)]
    except CaseFileError as error:
        print(f"run_engine_cases: {error}", file=sys.stderr)
        return 2

    started = time.monotonic()
    try:
        engine = open_engine(options.engine)
    except EngineMissing as error:
        in_ci = os.environ.get("CI") == "true"
        word = "MISSING" if in_ci else "SKIPPED"
        print(f"{word}: the {options.engine} engine is not here: {error}")
        print(f"{word}: all {len(every_case)} {options.engine} cases were not run "
              f"(tests/setup.sh installs every engine; Python: {sys.executable})")
        print(f"0 passed, {0 if not in_ci else len(every_case)} failed, "
              f"{0 if in_ci else len(every_case)} skipped")
        return 1 if in_ci else SKIP_STATUS
    loaded = time.monotonic()

    passed = failed = differing = 0
    for case in every_case:
        for target in engine.targets:
            try:
                problems = run_case(engine, options.brell, case, target)
            except EngineMissing as error:
                print(f"the {options.engine} engine stopped: {error}")
                return 1
            if not problems:
                passed += 1
                differing += target in case.differences
                continue
            failed += 1
            print(f"FAIL [{target}] {case.path}:{case.line}: {case.name}")
            print("  pipeline: " + case.pipeline.replace("\n", "\n    "))
            for problem in problems:
                print("  " + problem.rstrip().replace("\n", "\n  "))
    engine.close()
    finished = time.monotonic()
    print(f"{options.engine} {engine.version}: started in {loaded - started:.1f} s, "
          f"ran {len(every_case)} cases on {', '.join(engine.targets)} in "
          f"{finished - loaded:.1f} s ({differing} passed as a difference the case lists)")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
