"""Compares the table an engine returned with the rows a case expects.

Every engine's runner hands back its column names and its rows as plain Python values: None for a
missing value, bool, int or float, str, datetime.date and datetime.datetime. Numbers compare by
value with room for rounding (1 and 1.0 are equal); texts, truths, dates and timestamps compare
exactly; a value never equals a value of another kind (the number 5 is not the text "5", a truth
is not a number, a date is not a text). A cell of an expected column typed `date` or `timestamp`
is that moment written as text.
"""

import datetime
import json
import math
import re

# Set by an engine that has no values of a kind of its own (pandas has no date; R's worker hands
# dates and timestamps back as texts): how it spells them.
LENIENT_DATES = "midnight timestamps stand for dates"
DATES_AS_TEXT = "dates and timestamps come back as texts"


def kind_of(value):
    if value is None:
        return None
    if isinstance(value, bool):
        return "truth"
    if isinstance(value, (int, float)):
        return "number"
    if isinstance(value, str):
        return "text"
    if isinstance(value, datetime.datetime):
        return "timestamp"
    if isinstance(value, datetime.date):
        return "date"
    return type(value).__name__


def cell_matches(expected, actual, kind, leniency):
    if expected is None:
        return actual is None
    if actual is None:
        return False
    if kind in ("date", "timestamp"):
        if leniency == DATES_AS_TEXT and isinstance(actual, str):
            return actual == expected
        if kind == "date":
            if isinstance(actual, datetime.datetime):
                return (leniency == LENIENT_DATES and actual.time() == datetime.time(0)
                        and actual.strftime("%Y-%m-%d") == expected)
            return isinstance(actual, datetime.date) and actual.strftime("%Y-%m-%d") == expected
        return (isinstance(actual, datetime.datetime)
                and actual.strftime("%Y-%m-%d %H:%M:%S") == expected)
    wanted = kind_of(expected)
    if wanted != kind_of(actual):
        return False
    if wanted == "number":
        return math.isclose(actual, expected, rel_tol=1e-9, abs_tol=1e-9)
    return actual == expected


def show(value):
    """A cell as a case file writes it."""
    if isinstance(value, datetime.datetime):
        return json.dumps(value.strftime("%Y-%m-%d %H:%M:%S"))
    if isinstance(value, datetime.date):
        return json.dumps(value.strftime("%Y-%m-%d"))
    if isinstance(value, float) and math.isfinite(value) and value == int(value):
        return str(int(value)) if abs(value) < 1e15 else repr(value)
    try:
        return json.dumps(value, ensure_ascii=False)
    except TypeError:
        return repr(value)


def show_name(name, kind):
    """A column name as a case file's header writes it, typed when it holds dates."""
    shown = name if re.fullmatch(r"[A-Za-z_][A-Za-z0-9_ ']*", name) \
        else json.dumps(name, ensure_ascii=False)
    return shown + f":{kind}" if kind in ("date", "timestamp") else shown


def format_grid(names, rows, kinds=None, indent="    "):
    """The table in a case file's own grid, so that it can be read back; without kinds, a
    column whose values are all dates (or timestamps) is typed so."""
    if kinds is None:
        kinds = []
        for i in range(len(names)):
            found = {kind_of(row[i]) for row in rows} - {None}
            kinds.append(found.pop() if len(found) == 1 else None)
    header = [show_name(str(name), kind) for name, kind in zip(names, kinds)]
    cells = [header] + [[show(value) for value in row] for row in rows]
    widths = [max(len(line[i]) for line in cells) for i in range(len(names))]
    return "\n".join(indent + " | ".join(c.ljust(w) for c, w in zip(line, widths)).rstrip()
                     for line in cells)


def compare(expected, names, rows, leniency=None):
    """The problems found, or [] when the table is the one expected."""
    header, expected_rows = expected.grid
    wanted_names = [name for name, _ in header]
    kinds = [kind for _, kind in header]
    if list(names) != wanted_names:
        return [f"columns {list(names)}, expected {wanted_names}"]
    problems = []
    if len(rows) != len(expected_rows):
        problems.append(f"{len(rows)} rows, expected {len(expected_rows)}")

    def row_matches(want, got):
        return all(cell_matches(e, a, k, leniency) for e, a, k in zip(want, got, kinds))

    if expected.ordered:
        for number, (want, got) in enumerate(zip(expected_rows, rows), start=1):
            if not row_matches(want, got):
                problems.append(f"row {number} differs")
                break
    else:
        unmatched = list(rows)
        for want in expected_rows:
            partner = next((row for row in unmatched if row_matches(want, row)), None)
            if partner is None:
                problems.append("no row like " + " | ".join(json.dumps(v) for v in want))
                break
            unmatched.remove(partner)
    return problems
