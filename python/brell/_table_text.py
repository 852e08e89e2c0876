"""A result's rows as an aligned table of text, for a terminal: the column names, their types,
a rule, the rows (numbers to the right), and how many rows there are."""

from __future__ import annotations

import datetime
import decimal
import unicodedata
from typing import Any, Sequence

MISSING = "missing"


def cell_text(value: Any) -> str:
    """One value as the table shows it; every engine's values of one type look the same."""
    if value is None:
        return MISSING
    if isinstance(value, bool):
        return "yes" if value else "no"
    if isinstance(value, float):
        if value != value:  # NaN: a missing value to pandas
            return MISSING
        return str(int(value)) if value.is_integer() and abs(value) < 2**63 else repr(value)
    if isinstance(value, datetime.datetime):
        return value.isoformat(sep=" ")
    if isinstance(value, (int, decimal.Decimal, datetime.date)):
        return str(value)
    return str(value).replace("\\", "\\\\").replace("\n", "\\n").replace("\t", "\\t")


def _width(text: str) -> int:
    """Columns the text takes on a terminal: wide East Asian characters take two."""
    return sum(2 if unicodedata.east_asian_width(ch) in ("W", "F") else 1 for ch in text)


def _padded(text: str, width: int, to_the_right: bool) -> str:
    room = " " * (width - _width(text))
    return room + text if to_the_right else text + room


def table_text(
    names: Sequence[str], types: Sequence[str], rows: Sequence[tuple], shown: int
) -> str:
    """The first `shown` rows under their names and types, and the count of rows."""
    cells = [[cell_text(value) for value in row] for row in rows[:shown]]
    widths = [
        max([_width(name), _width(type_word)] + [_width(row[index]) for row in cells])
        for index, (name, type_word) in enumerate(zip(names, types))
    ]
    right = [type_word == "number" for type_word in types]

    def line(values: Sequence[str], align: Sequence[bool]) -> str:
        return "  ".join(
            _padded(value, width, to_right)
            for value, width, to_right in zip(values, widths, align)
        ).rstrip()

    left = [False] * len(names)
    lines = [line(names, left), line(types, left), line(["─" * width for width in widths], left)]
    lines += [line(row, right) for row in cells]
    count = len(rows)
    noun = "row" if count == 1 else "rows"
    if count > shown:
        lines.append(f"{shown} of {count:,} {noun} shown; --all shows every one")
    else:
        lines.append(f"{count:,} {noun}")
    return "\n".join(lines) + "\n"
