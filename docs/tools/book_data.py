"""The book's example tables, and running the SQL that brell writes on them in DuckDB.

Each table is a CSV file in docs/data whose header names every column as `name:type`, with the
type words `--columns` takes; an empty cell is a missing value. The same files give the book its
tables as Markdown, the `--columns` lists, and the rows DuckDB holds, so the three cannot differ.
"""

import csv
import math
import pathlib

DUCKDB_TYPES = {
    "number": "DOUBLE",
    "text": "VARCHAR",
    "truth": "BOOLEAN",
    "date": "DATE",
    "timestamp": "TIMESTAMP",
}


class Table:
    def __init__(self, name, columns, rows):
        self.name = name
        self.columns = columns  # list of (name, type word)
        self.rows = rows  # list of lists of text, "" for a missing value

    def columns_list(self):
        """The table's `--columns` list, as the head table's description."""
        return ",".join(f"{name}:{kind}" for name, kind in self.columns)


def read_tables(data_dir):
    tables = {}
    for path in sorted(pathlib.Path(data_dir).glob("*.csv")):
        with open(path, newline="", encoding="utf-8") as handle:
            lines = list(csv.reader(handle))
        columns = []
        for cell in lines[0]:
            name, _, kind = cell.partition(":")
            if kind not in DUCKDB_TYPES:
                raise SystemExit(f"book: {path}: column `{cell}` needs one of the types {', '.join(DUCKDB_TYPES)}")
            columns.append((name, kind))
        rows = lines[1:]
        for number, row in enumerate(rows, start=2):
            if len(row) != len(columns):
                raise SystemExit(f"book: {path}:{number}: {len(row)} cells where the header has {len(columns)}")
        tables[path.stem] = Table(path.stem, columns, rows)
    return tables


def markdown_cell(value):
    """One value as a Markdown table cell: missing values in italics, numbers without a trailing .0."""
    if value is None or value == "":
        return "*missing*"
    if isinstance(value, bool):
        return "yes" if value else "no"
    if isinstance(value, float):
        if math.isnan(value):
            return "NaN"
        if value.is_integer() and abs(value) < 1e15:
            return str(int(value))
        return repr(value)
    return str(value).replace("|", "\\|").replace("\n", " ")


def markdown_table(names, rows):
    header = "| " + " | ".join(markdown_cell(name) for name in names) + " |"
    rule = "|" + "|".join("---" for _ in names) + "|"
    body = ["| " + " | ".join(markdown_cell(cell) for cell in row) + " |" for row in rows]
    return "\n".join([header, rule, *body])


def table_as_markdown(table):
    names = [f"{name}:{kind}" for name, kind in table.columns]
    return markdown_table(names, table.rows)


class Engine:
    """An in-memory DuckDB holding every example table, typed as `--columns` describes it."""

    def __init__(self, tables):
        try:
            import duckdb
        except ImportError:
            raise SystemExit(
                "book: the rows shown in the book come from DuckDB, and this Python has no `duckdb` "
                "module. Run the book with the Python of the engine tests (tests/engines/requirements.txt)"
            )
        self.version = duckdb.__version__
        self.connection = duckdb.connect(":memory:")
        self.connection.execute("SET threads TO 1")
        for table in tables.values():
            columns = ", ".join(f'"{name}" {DUCKDB_TYPES[kind]}' for name, kind in table.columns)
            self.connection.execute(f'CREATE TABLE "{table.name}" ({columns})')
            marks = ", ".join("?" for _ in table.columns)
            for row in table.rows:
                values = [None if cell == "" else cell for cell in row]
                self.connection.execute(f'INSERT INTO "{table.name}" VALUES ({marks})', values)

    def rows(self, sql):
        result = self.connection.execute(sql)
        names = [column[0] for column in result.description]
        return names, result.fetchall()
