#!/usr/bin/python3
"""Runs the programs brell writes with `--as pandas` on real pandas, and compares the table each
one returns with the rows the sentence means.

Usage: /usr/bin/python3 run_pandas_cases.py --brell BRELL CASE_FILE...

A case file is plain text read line by line. A line that starts with a keyword and a colon in the
first column opens a section; the indented lines under it belong to that section. A line that
starts with `#` in the first column is a comment, and blank lines are ignored.

    # Everything before the first `case:` is shared by every case of the file.
    table: sales
        region:text | revenue:number | day:date
        "West"      | 10             | "2024-01-05"
        "East"      | null           | null

    case: the West rows stay
    pipeline: sales then keep where [region] is "West"
    rows in any order:
        region | revenue | day:date
        "West" | 10      | "2024-01-05"

Sections:
- `table: NAME` a table bound under NAME while the program runs. Its first indented line holds the
  columns as `name:type` separated by `|` (types: number, text, truth, date, timestamp; a name may
  be written as a JSON string, `"total sales":number`); every further line is one row, its cells
  separated by `|`, each a JSON value: numbers, "text", true, false and null (a missing value).
  Dates are written "2024-01-05" and timestamps "2024-01-05 13:45:00". A case's own tables are
  added to the file's, replacing one of the same name.
- `columns:` one `--columns` argument for brell, as written after the colon. Without any, the
  lists are made from the tables: the table the pipeline starts from is the head table, and
  every other table is passed as `name=...`.
- `case:` starts a case and names it.
- `pipeline:` the sentence (text on the same line, and indented lines joined to it by a line
  feed).
- `needs: pandas 2` the program is compiled and parsed, but only run on pandas 2 or later; on an
  older pandas the case is reported as skipped.
- `rows in order:` or `rows in any order:` the table the program must return: a header of the
  column names in their order (each optionally `name:type`; a `date` or `timestamp` column reads
  its texts as dates), then one line per row as in `table:`. `in order` is for sentences that
  settle the order of the rows; `in any order` compares the rows as a bag.

Each program is compiled with brell (an argument list, no shell), parsed with `ast.parse`, and
evaluated with `pd`, `np` and every table bound as a DataFrame. Numbers compare by value with room
for rounding; None, NaN, NaT and pd.NA all read as missing; a value never equals a value of
another kind.

When pandas cannot be imported every case is reported as skipped and the exit status is 77.
Otherwise each failing case prints a FAIL block, the run ends with "N passed, M failed", and the
exit status is 1 when any case failed.
"""

import argparse
import ast
import datetime
import json
import math
import re
import subprocess
import sys

SKIP_STATUS = 77
SECTION = re.compile(
    r"^(table|columns|case|pipeline|needs|rows in order|rows in any order):(.*)$")
TYPES = ("number", "text", "truth", "date", "timestamp")
TIMEOUT_SECONDS = 60


class CaseFileError(Exception):
    pass


# ------------------------------------------------------------------------------------------------
# Reading case files

def split_cells(line, where):
    """Splits at every `|` that stands outside a JSON string."""
    cells, current, in_string, i = [], "", False, 0
    while i < len(line):
        c = line[i]
        if in_string:
            current += c
            if c == "\\" and i + 1 < len(line):
                current += line[i + 1]
                i += 1
            elif c == '"':
                in_string = False
        elif c == '"':
            in_string = True
            current += c
        elif c == "|":
            cells.append(current.strip())
            current = ""
        else:
            current += c
        i += 1
    if in_string:
        raise CaseFileError(f"{where}: a text is never closed")
    cells.append(current.strip())
    return cells


def parse_value(cell, where):
    try:
        return json.loads(cell)
    except ValueError:
        raise CaseFileError(f"{where}: `{cell}` is not a JSON value (texts are in double quotes)")


def parse_header_cell(cell, where):
    """`name`, `name:type`, `"a name":type` -> (name, type or None)."""
    if cell.startswith('"'):
        end = cell.index('"', 1)
        while cell[end - 1] == "\\":
            end = cell.index('"', end + 1)
        name, rest = parse_value(cell[:end + 1], where), cell[end + 1:]
    else:
        name, _, rest = cell.partition(":")
        rest = ":" + rest if rest else ""
    kind = rest[1:].strip() if rest.startswith(":") else None
    if kind is not None and kind not in TYPES:
        raise CaseFileError(f"{where}: `{kind}` is not one of {', '.join(TYPES)}")
    return name.strip() if isinstance(name, str) else name, kind


def parse_grid(lines, where):
    """A header line and rows: ([(name, type)], [[value]])."""
    if not lines:
        raise CaseFileError(f"{where}: the section has no header line")
    header = [parse_header_cell(cell, where) for cell in split_cells(lines[0][1], where)]
    rows = []
    for number, text in lines[1:]:
        cells = split_cells(text, f"line {number}")
        if len(cells) != len(header):
            raise CaseFileError(f"line {number}: {len(cells)} cells under {len(header)} columns")
        rows.append([parse_value(cell, f"line {number}") for cell in cells])
    return header, rows


class Case:
    def __init__(self, name, line):
        self.name, self.line = name, line
        self.tables, self.columns = {}, []
        self.pipeline = None
        self.needs_pandas_2 = False
        self.expected, self.ordered = None, False


def read_case_file(path):
    with open(path, encoding="utf-8") as handle:
        lines = handle.read().split("\n")
    shared = Case("(shared)", 0)
    cases, current, section = [], shared, None

    def close():
        if section is None:
            return
        keyword, argument, body, line = section
        where = f"{path}:{line}"
        if keyword == "table":
            current.tables[argument] = parse_grid(body, where)
        elif keyword == "pipeline":
            current.pipeline = "\n".join([argument] + [text for _, text in body]).strip()
        elif keyword.startswith("rows"):
            current.expected = parse_grid(body, where)
            current.ordered = keyword == "rows in order"

    for number, line in enumerate(lines, start=1):
        if line.startswith("#") or not line.strip():
            continue
        match = SECTION.match(line)
        if match:
            close()
            keyword, argument = match.group(1), match.group(2).strip()
            section = None
            if keyword == "case":
                current = Case(argument, number)
                cases.append(current)
            elif keyword == "columns":
                current.columns.append(argument)
            elif keyword == "needs":
                if argument != "pandas 2":
                    raise CaseFileError(f"{path}:{number}: only `needs: pandas 2` is known")
                current.needs_pandas_2 = True
            else:
                section = (keyword, argument, [], number)
        elif line[0].isspace() and section is not None:
            section[2].append((number, line.strip()))
        else:
            raise CaseFileError(f"{path}:{number}: expected a section, got: {line}")
    close()
    for case in cases:
        case.tables = {**shared.tables, **case.tables}
        case.columns = case.columns or shared.columns
        if case.pipeline is None or case.expected is None:
            raise CaseFileError(f"{path}:{case.line}: case `{case.name}` needs a pipeline and rows")
    return cases


# ------------------------------------------------------------------------------------------------
# Compiling and running

def columns_arguments(case):
    if case.columns:
        lists = case.columns
    else:
        source = case.pipeline.split()[0]
        lists = []
        for name, (header, _) in case.tables.items():
            described = ",".join(f"{column}:{kind}" for column, kind in header)
            lists.append(described if name == source else f"{name}={described}")
    arguments = []
    for described in lists:
        arguments += ["--columns", described]
    return arguments


def compile_case(brell, case):
    command = [brell, "--as", "pandas"] + columns_arguments(case) + [case.pipeline]
    completed = subprocess.run(command, capture_output=True, text=True, timeout=TIMEOUT_SECONDS)
    if completed.returncode != 0:
        raise AssertionError(f"brell exited with {completed.returncode}:\n{completed.stderr}")
    return completed.stdout


def make_frame(pd, np, header, rows):
    data = {}
    for index, (name, kind) in enumerate(header):
        values = [row[index] for row in rows]
        present = [value for value in values if value is not None]
        if kind in ("date", "timestamp"):
            data[name] = pd.to_datetime(pd.Series(values, dtype=object))
        elif kind == "number" and present and len(present) == len(values) and all(
                isinstance(value, int) for value in present):
            data[name] = pd.Series(values, dtype="int64")
        elif kind == "number":
            data[name] = pd.Series([np.nan if v is None else v for v in values], dtype="float64")
        elif kind == "truth" and len(present) == len(values):
            data[name] = pd.Series(values, dtype=bool)
        else:
            data[name] = pd.Series(values, dtype=object)
    return pd.DataFrame(data)


def is_missing(pd, value):
    try:
        return value is None or bool(pd.isna(value))
    except (TypeError, ValueError):
        return False


def cell_matches(pd, expected, actual, kind):
    if expected is None:
        return is_missing(pd, actual)
    if is_missing(pd, actual):
        return False
    if kind in ("date", "timestamp"):
        if not isinstance(actual, (pd.Timestamp, datetime.datetime, datetime.date)):
            return False
        shown = pd.Timestamp(actual)
        text = shown.strftime("%Y-%m-%d") if kind == "date" else shown.strftime("%Y-%m-%d %H:%M:%S")
        return text == expected
    if isinstance(expected, bool):
        return type(actual).__name__ in ("bool", "bool_") and bool(actual) == expected
    if isinstance(expected, (int, float)):
        if type(actual).__name__ in ("bool", "bool_") or isinstance(actual, str):
            return False
        try:
            number = float(actual)
        except (TypeError, ValueError):
            return False
        return math.isclose(number, expected, rel_tol=1e-9, abs_tol=1e-9)
    return isinstance(actual, str) and actual == expected


def compare(pd, case, result):
    header, expected_rows = case.expected
    names = [name for name, _ in header]
    kinds = [kind for _, kind in header]
    if not isinstance(result, pd.DataFrame):
        return [f"the program returned {type(result).__name__}, not a DataFrame"]
    # Column names are texts: a name pandas left as a number is not the name the sentence gives.
    actual_names = list(result.columns)
    if actual_names != names:
        return [f"columns {actual_names}, expected {names}"]
    actual_rows = [list(row) for row in result.itertuples(index=False, name=None)]
    problems = []
    if len(actual_rows) != len(expected_rows):
        problems.append(f"{len(actual_rows)} rows, expected {len(expected_rows)}")

    def row_matches(expected, actual):
        return all(cell_matches(pd, e, a, k) for e, a, k in zip(expected, actual, kinds))

    if case.ordered:
        for number, (expected, actual) in enumerate(zip(expected_rows, actual_rows), start=1):
            if not row_matches(expected, actual):
                problems.append(f"row {number}: {repr(actual)}, expected {repr(expected)}")
    else:
        unmatched = list(actual_rows)
        for expected in expected_rows:
            partner = next((row for row in unmatched if row_matches(expected, row)), None)
            if partner is None:
                problems.append(f"no row like {repr(expected)}")
            else:
                unmatched.remove(partner)
        for row in unmatched:
            problems.append(f"a row that was not expected: {repr(row)}")
    if problems:
        problems.append("the table was:\n" + result.to_string())
    return problems


def run_case(pd, np, brell, case):
    """None when the case passed, the reason when it was not run, or the problems found."""
    program = compile_case(brell, case)
    try:
        tree = ast.parse(program, mode="eval")
    except SyntaxError as error:
        return [f"the program is not one Python expression: {error}\n{program}"]
    if case.needs_pandas_2 and int(pd.__version__.split(".")[0]) < 2:
        return "needs pandas 2"
    namespace = {"pd": pd, "np": np}
    for name, (header, rows) in case.tables.items():
        namespace[name] = make_frame(pd, np, header, rows)
    try:
        result = eval(compile(tree, "<brell>", "eval"), namespace)
    except Exception as error:  # the program failing is what this reports
        return [f"pandas failed: {type(error).__name__}: {error}\n{program}"]
    problems = compare(pd, case, result)
    return problems + [program] if problems else None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--brell", required=True)
    parser.add_argument("files", nargs="+")
    options = parser.parse_args()
    try:
        every_file = [(path, read_case_file(path)) for path in options.files]
    except CaseFileError as error:
        print(f"run_pandas_cases: {error}", file=sys.stderr)
        return 2
    try:
        import numpy as np
        import pandas as pd
    except ImportError:
        for path, cases in every_file:
            for case in cases:
                print(f"SKIPPED {path}: {case.name} (pandas is not installed)")
        print("0 passed, 0 failed")
        return SKIP_STATUS

    passed = failed = 0
    for path, cases in every_file:
        for case in cases:
            try:
                outcome = run_case(pd, np, options.brell, case)
            except (AssertionError, subprocess.TimeoutExpired) as error:
                outcome = [str(error)]
            if outcome is None:
                passed += 1
            elif isinstance(outcome, str):
                print(f"SKIPPED {path}: {case.name} ({outcome})")
            else:
                failed += 1
                print(f"FAIL {path}:{case.line}: {case.name}")
                print(f"  pipeline: {case.pipeline}")
                for problem in outcome:
                    print("  " + problem.replace("\n", "\n  "))
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
