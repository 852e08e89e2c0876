"""Reads the engine case files: typed tables, one sentence, and the rows the sentence means.

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
  Dates are written "2024-01-05" and timestamps "2024-01-05 13:45:00". A number column whose
  present values are all whole is stored as whole numbers, any other as floating point. A case's
  own tables are added to the file's, replacing one of the same name.
- `columns:` one `--columns` argument for brell, as written after the colon. Without any, the
  lists are made from the tables: the table the pipeline starts from is the head table, and
  every other table is passed as `name=...`.
- `case:` starts a case and names it.
- `shared from here:` the tables and `columns:` that follow it, up to the next `case:`, are
  shared by the cases after it instead of the ones before (for a file that gathers cases of one
  topic over different tables).
- `pipeline:` the sentence (text on the same line, and indented lines joined to it by a line
  feed).
- `rows in order:` or `rows in any order:` the table the program must return: a header of the
  column names in their order (each optionally `name:type`; a `date` or `timestamp` column reads
  its texts as dates), then one line per row as in `table:`. `in order` is for sentences that
  settle the order of the rows; `in any order` compares the rows as a bag.
- `error: TEXT` instead of rows: running the program must fail, with a message holding TEXT.
- `differs on TARGET: REASON` where one target's engine truly cannot give the rows the sentence
  means (TARGET is a backend name: sql, spark, pyspark, pandas, polars, dplyr). The indented lines
  under it are what that engine gives instead: a header and rows as under `rows ...:` (compared
  the same way), one line `error: TEXT` (the program fails with a message holding TEXT), or one
  line `refused: TEXT` (brell refuses to write the sentence for that target, saying TEXT). The
  engine must give exactly that, so a difference that goes away is noticed.
"""

import json
import re

SECTION = re.compile(
    r"^(table|columns|case|pipeline|rows in order|rows in any order|error|differs on|"
    r"shared from here)"
    r"(?: ([A-Za-z_][A-Za-z0-9_.]*))?:(.*)$")
TYPES = ("number", "text", "truth", "date", "timestamp")
TARGETS = ("sql", "spark", "pyspark", "pandas", "polars", "dplyr")


class CaseFileError(Exception):
    pass


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
        name = name.strip()
        rest = ":" + rest if rest else ""
    kind = rest[1:].strip() if rest.startswith(":") else None
    if kind is not None and kind not in TYPES:
        raise CaseFileError(f"{where}: `{kind}` is not one of {', '.join(TYPES)}")
    return name, kind


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


def check_table(name, header, rows, where):
    for column, kind in header:
        if kind is None:
            raise CaseFileError(f"{where}: the column `{column}` of `{name}` needs a type")
    for row in rows:
        for (column, kind), value in zip(header, row):
            fits = value is None or {
                "number": lambda v: isinstance(v, (int, float)) and not isinstance(v, bool),
                "text": lambda v: isinstance(v, str),
                "truth": lambda v: isinstance(v, bool),
                "date": lambda v: isinstance(v, str) and re.fullmatch(r"\d{4}-\d\d-\d\d", v),
                "timestamp": lambda v: isinstance(v, str) and re.fullmatch(
                    r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d", v),
            }[kind](value)
            if not fits:
                raise CaseFileError(f"{where}: {json.dumps(value)} is not a {kind} (`{column}`)")


class Expected:
    """What a run must give: rows (header, rows, ordered) or an error holding a text."""

    def __init__(self, grid=None, ordered=False, error=None, reason=None, refused=None):
        self.grid, self.ordered, self.error, self.reason = grid, ordered, error, reason
        self.refused = refused


class Case:
    def __init__(self, path, name, line):
        self.path, self.name, self.line = path, name, line
        self.tables, self.columns = {}, []
        self.pipeline = None
        self.expected = None
        self.differences = {}

    def expected_on(self, target):
        return self.differences.get(target, self.expected)


def read_case_file(path):
    with open(path, encoding="utf-8") as handle:
        lines = handle.read().split("\n")
    shared = Case(path, "(shared)", 0)
    cases, current, section = [], shared, None

    def close():
        if section is None:
            return
        keyword, argument, body, line = section
        where = f"{path}:{line}"
        if keyword == "table":
            header, rows = parse_grid(body, where)
            check_table(argument, header, rows, where)
            current.tables[argument] = (header, rows)
        elif keyword == "pipeline":
            current.pipeline = "\n".join([argument] + [text for _, text in body]).strip()
        elif keyword.startswith("rows"):
            current.expected = Expected(parse_grid(body, where), keyword == "rows in order")
        elif keyword == "error":
            current.expected = Expected(error=argument)
        elif keyword == "differs on":
            target, reason = argument
            if current.expected is None:
                raise CaseFileError(f"{where}: `differs on` comes after the case's own rows")
            if len(body) == 1 and body[0][1].startswith("error:"):
                instead = Expected(error=body[0][1][len("error:"):].strip(), reason=reason)
            elif len(body) == 1 and body[0][1].startswith("refused:"):
                instead = Expected(refused=body[0][1][len("refused:"):].strip(), reason=reason)
            else:
                instead = Expected(parse_grid(body, where), current.expected.ordered, reason=reason)
            current.differences[target] = instead

    for number, line in enumerate(lines, start=1):
        if line.startswith("#") or not line.strip():
            continue
        match = SECTION.match(line)
        if match:
            close()
            keyword, word, argument = match.group(1), match.group(2), match.group(3).strip()
            where = f"{path}:{number}"
            section = None
            if keyword == "differs on":
                if word not in TARGETS:
                    raise CaseFileError(f"{where}: `{word}` is not one of {', '.join(TARGETS)}")
                if not argument:
                    raise CaseFileError(f"{where}: a difference says why")
                argument = (word, argument)
            elif word is not None:
                raise CaseFileError(f"{where}: expected a section, got: {line}")
            if keyword == "case":
                current = Case(path, argument, number)
                current.shared = shared
                cases.append(current)
            elif keyword == "shared from here":
                current = shared = Case(path, "(shared)", number)
            elif keyword == "columns":
                current.columns.append(argument)
            elif keyword == "error":
                current.expected = Expected(error=argument)
            else:
                section = (keyword, argument, [], number)
        elif line[0].isspace() and section is not None:
            section[2].append((number, line.strip()))
        else:
            raise CaseFileError(f"{path}:{number}: expected a section, got: {line}")
    close()
    if not cases:
        raise CaseFileError(f"{path}: no cases")
    for case in cases:
        case.tables = {**case.shared.tables, **case.tables}
        case.columns = case.columns or case.shared.columns
        if case.pipeline is None or case.expected is None:
            raise CaseFileError(f"{path}:{case.line}: case `{case.name}` needs a pipeline and rows")
    return cases


def columns_arguments(case):
    """The `--columns` arguments brell is given for the case."""
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

