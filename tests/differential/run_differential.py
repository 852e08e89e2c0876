"""Differential test: random sentences over random small tables, compiled with every backend and
run on every engine; each engine's rows must be DuckDB's.

Usage:
    run_differential.py --brell BRELL [--python PYTHON] [--count N | --seconds S] [--seed FIRST]
                        [--engines duckdb,spark,pandas,polars,dplyr]

Example i uses seed FIRST + i (`random_sentences.make_example`), so a disagreement is reproduced by
`--seed SEED --count 1`. Every sentence is checked by `--as sql` first; the generator draws only
sentences that check, so a refusal is a failure too. When DuckDB's run fails (a widen's guard, say),
every engine must fail as well. Rows compare as a bag unless the sentence settles their order.
The head table is `t`; the other is described under its own name, `p` or now and then a dotted
one (`shop.p`, a table in a schema), which each engine binds its own way.

A disagreement that is a documented difference between targets is passed by a named rule in
KNOWN_DIFFERENCES (each rule says why); nothing else is forgiven, and the comparison is the engine
suite's own (tests/engines/compare_rows.py). The run ends with "N passed, M failed" and exits 1 when
any run failed; a missing engine fails it in CI and skips it (status 77) elsewhere.
"""

import argparse
import datetime
import functools
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "engines"))
sys.path.insert(0, HERE)

from case_file import Expected  # noqa: E402
from compare_rows import compare, format_grid  # noqa: E402
from engines import BACKENDS, ENGINES, EngineFailed, EngineMissing, open_engine  # noqa: E402
from random_sentences import make_example  # noqa: E402
from run_engine_cases import reexec_under  # noqa: E402

print = functools.partial(print, flush=True)  # noqa: A001 (a long run shows its progress)
REFERENCE = "duckdb"
SHOWN_PER_TARGET = 5

# Differences between targets that the book lists (docs/differences.md), each as (name, test):
# the test gets the example, the target, what DuckDB and the target gave, each (names, rows) or
# None when that engine failed, and the target's leniency in comparing, and says whether the rule
# covers it.
KNOWN_DIFFERENCES = [
    # R holds every number as a double, and pandas holds a whole-number column with missing values
    # as floats and writes it as whole numbers; so `to_text` of a whole number writes `3` where a
    # SQL engine that stores the column as floating point writes `3.0`. Only that may differ.
    ("dplyr and pandas write a whole number held as floating point without a decimal point",
     lambda example, target, reference, got, leniency:
         target in ("dplyr", "pandas") and "to_text(" in example["sentence"]
         and agree_but_whole_number_texts(example, reference, got, leniency)),
    # A SQL engine's optimizer replaces a plan it proves empty (a later `keep` that no row can
    # pass) by an empty relation, so a widen's guard below it never reads the table: DuckDB, or
    # Spark, gives no rows where the other engines fail.
    ("a SQL engine leaves out a widen's guard when a later step provably keeps no row",
     lambda example, target, reference, got, leniency:
         "widen" in example["sentence"]
         and ((reference is not None and reference[1] == [] and got is None)
              or (target in ("spark", "pyspark") and reference is None
                  and got is not None and got[1] == []))),
]

WHOLE_NUMBER_TEXT = re.compile(r"^(-?[0-9]+)\.0$")


def agree_but_whole_number_texts(example, reference, got, leniency):
    """Whether the rows agree once every text written as a whole number with `.0` loses it."""
    if reference is None or got is None:
        return False

    def whole(rows):
        return [[WHOLE_NUMBER_TEXT.sub(r"\1", v) if isinstance(v, str) else v for v in row]
                for row in rows]

    expected = reference_expectation(reference[0], whole(reference[1]), example["ordered"])
    return not compare(expected, got[0], whole(got[1]), leniency)


def columns_arguments(tables):
    """The head table `t` described first, then every other table (`p`, or a dotted name such as
    `shop.p`) under its name."""
    def listed(name):
        return ",".join(f"{column}:{kind}" for column, kind in tables[name][0])

    others = [name for name in tables if name != "t"]
    return ["--columns", listed("t")] + [
        argument for name in others for argument in ("--columns", name + "=" + listed(name))]


def engine_tables(example):
    return {name: ([(c["name"], c["type"]) for c in table["columns"]], table["rows"])
            for name, table in example["tables"].items()}


def compile_sentence(brell, example, tables, target):
    command = [brell, "--as", target] + columns_arguments(tables) + [example["sentence"]]
    done = subprocess.run(command, capture_output=True, text=True, timeout=60)
    if done.returncode != 0:
        return None, done.stderr.strip()
    return done.stdout, None


def as_written(value):
    """A DuckDB cell as the engine suite's expected rows write it."""
    if isinstance(value, datetime.datetime):
        return value.strftime("%Y-%m-%d %H:%M:%S")
    if isinstance(value, datetime.date):
        return value.strftime("%Y-%m-%d")
    return value


def kind_of_column(rows, index):
    for row in rows:
        value = row[index]
        if isinstance(value, datetime.datetime):
            return "timestamp"
        if isinstance(value, datetime.date):
            return "date"
    return None


def reference_expectation(names, rows, ordered):
    header = [(name, kind_of_column(rows, i)) for i, name in enumerate(names)]
    written = [[as_written(value) for value in row] for row in rows]
    return Expected((header, written), ordered)


def known_difference(example, target, reference, got, leniency):
    for name, applies in KNOWN_DIFFERENCES:
        if applies(example, target, reference, got, leniency):
            return name
    return None


class Tally:
    def __init__(self, targets):
        self.passed = {t: 0 for t in targets}
        self.failed = {t: 0 for t in targets}
        self.failed_seeds = {t: [] for t in targets}
        self.forgiven = {t: 0 for t in targets}
        self.both_failed = 0
        self.refused = 0


def report(target, example, program, lines, tally):
    tally.failed[target] += 1
    tally.failed_seeds[target].append(example["seed"])
    if tally.failed[target] > SHOWN_PER_TARGET:
        return
    print(f"DISAGREE [{target}] seed {example['seed']}: {example['sentence']}")
    for line in lines:
        print("  " + str(line).rstrip().replace("\n", "\n  "))
    if program is not None:
        print("  program:\n    " + program.rstrip().replace("\n", "\n    "))


def run_example(example, engines, brell, tally):
    tables = engine_tables(example)
    reference_engine = engines[REFERENCE]
    sql, refusal = compile_sentence(brell, example, tables, "sql")
    if sql is None:
        tally.refused += 1
        print(f"REFUSED seed {example['seed']}: {example['sentence']}\n  {refusal}")
        return
    try:
        names, rows = reference_engine.run("sql", sql, tables)
        expected, reference_error = reference_expectation(names, rows, example["ordered"]), None
    except EngineFailed as error:
        expected, reference_error = None, str(error)
    if reference_error is not None:
        tally.both_failed += 1
    for engine_name, engine in engines.items():
        for target in engine.targets:
            if engine_name == REFERENCE:
                continue
            program, refusal = compile_sentence(brell, example, tables, target)
            if program is None:
                report(target, example, None, [f"brell refused it for {target}: {refusal}"],
                       tally)
                continue
            got_rows = None
            try:
                got_names, got_rows = engine.run(target, program, tables)
                problems = [] if reference_error is None else [
                    f"DuckDB failed ({reference_error.splitlines()[0]}), {target} gave rows:",
                    format_grid(got_names, got_rows)]
                if reference_error is None:
                    problems = compare(expected, got_names, got_rows, engine.leniency)
                    if problems:
                        problems += ["DuckDB:\n" + format_grid(names, rows),
                                     f"{target}:\n" + format_grid(got_names, got_rows)]
            except EngineFailed as error:
                problems = [] if reference_error is not None else [
                    f"{target} failed where DuckDB gave rows: {str(error)[:400]}",
                    "DuckDB:\n" + format_grid(names, rows)]
            if not problems:
                tally.passed[target] += 1
                continue
            rule = known_difference(
                example, target, None if reference_error is not None else (names, rows),
                None if got_rows is None else (got_names, got_rows), engine.leniency)
            if rule is not None:
                tally.forgiven[target] += 1
                continue
            report(target, example, program, problems, tally)


def open_engines(names):
    engines, missing = {}, []
    for name in names:
        try:
            engines[name] = open_engine(name)
        except EngineMissing as error:
            missing.append(f"{name}: {error}")
    return engines, missing


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--brell", required=True)
    parser.add_argument("--python")
    parser.add_argument("--count", type=int)
    parser.add_argument("--seconds", type=float)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--engines", default=",".join(ENGINES))
    options = parser.parse_args()
    reexec_under(options.python)
    names = [name for name in options.engines.split(",") if name]
    if REFERENCE not in names:
        names.insert(0, REFERENCE)
    count = options.count if options.count is not None else (None if options.seconds else 200)

    started = time.monotonic()
    engines, missing = open_engines(names)
    if missing:
        # A missing engine fails the run in CI; elsewhere it is a loud skip of the whole run.
        in_ci = os.environ.get("CI") == "true"
        for problem in missing:
            print(f"{'MISSING' if in_ci else 'SKIPPED'}: engine {problem} "
                  "(tests/setup.sh installs every engine)")
        print(f"0 passed, {len(missing) if in_ci else 0} failed, "
              f"{0 if in_ci else len(missing)} skipped")
        return 1 if in_ci else 77
    targets = [t for name in engines for t in BACKENDS[name] if name != REFERENCE]
    tally = Tally(targets)
    examples = 0
    seed = options.seed
    while True:
        if count is not None and examples >= count:
            break
        if options.seconds is not None and time.monotonic() - started >= options.seconds:
            break
        run_example(make_example(seed), engines, options.brell, tally)
        examples += 1
        seed += 1
    for engine in engines.values():
        engine.close()

    print(f"{examples} sentences (seeds {options.seed} to {seed - 1}) in "
          f"{time.monotonic() - started:.0f} s; DuckDB failed on {tally.both_failed} of them "
          f"(every engine had to fail too); {tally.refused} refused")
    for target in targets:
        print(f"  {target}: {tally.passed[target]} agreed, {tally.failed[target]} disagreed, "
              f"{tally.forgiven[target]} passed by a known difference")
        if tally.failed_seeds[target]:
            # Only the first few are shown above; every one is listed to be run again alone.
            print(f"    seeds: {' '.join(str(s) for s in tally.failed_seeds[target])}")
    passed = sum(tally.passed.values()) + sum(tally.forgiven.values())
    failed = sum(tally.failed.values()) + tally.refused
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
