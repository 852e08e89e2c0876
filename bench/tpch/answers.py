"""The official answers of the TPC-H queries, as make_data.py writes them, and the check of an
engine's rows against them.

A cell of an answer is text. A number compares by value with room for rounding: the tables hold
money as DOUBLE where the extension's answers were worked out in DECIMAL, so a sum of a million
prices may differ in its last digits. A date compares with its ISO text (pandas has no date of
its own, so a midnight timestamp stands for one there). The rows compare in order when the query
orders them (every query but the four that answer one row), else as a bag.
"""

import datetime
import math

REL_TOL = 1e-6


def read_answer(path):
    """(names, rows): the header's names and each row's cells as texts. Each line ends in a
    line feed, so an empty last line is a row (the one missing value of Q17 at 0.01)."""
    lines = path.read_text().split("\n")[:-1]
    return lines[0].split("|"), [line.split("|") for line in lines[1:]]


def cell_matches(expected, actual):
    if actual is None:
        return expected in ("", "NULL")
    if isinstance(actual, datetime.datetime):
        return actual.time() == datetime.time(0) and actual.strftime("%Y-%m-%d") == expected
    if isinstance(actual, datetime.date):
        return actual.isoformat() == expected
    if isinstance(actual, bool):
        return str(actual).lower() == expected.lower()
    if isinstance(actual, (int, float)) or type(actual).__module__ == "numpy" \
            or type(actual).__name__ == "Decimal":
        try:
            wanted = float(expected)
        except ValueError:
            return False
        return math.isclose(float(actual), wanted, rel_tol=REL_TOL, abs_tol=1e-6)
    return str(actual) == expected


def differences(expected_rows, actual_rows, ordered):
    """What is wrong with the rows, in a few words, or None when they are right."""
    if len(actual_rows) != len(expected_rows):
        return f"{len(actual_rows)} rows where {len(expected_rows)} were expected"
    widths = {len(row) for row in actual_rows}
    if actual_rows and widths != {len(expected_rows[0])}:
        return f"{sorted(widths)} columns where {len(expected_rows[0])} were expected"
    if not ordered:
        expected_rows = sorted(expected_rows, key=lambda row: [_sort_key(cell) for cell in row])
        actual_rows = sorted(actual_rows, key=lambda row: [_sort_key(cell) for cell in row])
    for index, (expected, actual) in enumerate(zip(expected_rows, actual_rows)):
        for column, (want, got) in enumerate(zip(expected, actual)):
            if not cell_matches(want, got):
                return f"row {index + 1}, column {column + 1}: {got!r} where {want!r} was expected"
    return None


def _sort_key(cell):
    """A cell as text that an expected text and an engine's value of it share: numbers to six
    significant digits, dates in ISO form, a missing value empty."""
    if cell is None or cell in ("", "NULL"):
        return ""
    if isinstance(cell, (datetime.date, datetime.datetime)):
        return cell.strftime("%Y-%m-%d")
    try:
        return f"{float(cell):.6g}"
    except (TypeError, ValueError):
        return str(cell)
