"""DuckDB through its Python package: the `sql` target, one fresh in-memory database per case."""

import decimal

from engine_tables import EngineFailed, EngineMissing, typed_columns

SQL_TYPES = {"text": "VARCHAR", "truth": "BOOLEAN", "date": "DATE", "timestamp": "TIMESTAMP"}


def quote_name(name):
    return '"' + name.replace('"', '""') + '"'


def quote_table(name):
    """A dotted table name (`shop.orders`) is a table in a schema."""
    return ".".join(quote_name(part) for part in name.split("."))


def plain(value):
    if isinstance(value, decimal.Decimal):
        return float(value)
    if isinstance(value, float) and value != value:
        return None
    return value


class Engine:
    name = "duckdb"
    targets = ("sql",)
    leniency = None

    def __init__(self):
        try:
            import duckdb
        except ImportError as error:
            raise EngineMissing(f"the Python package duckdb cannot be imported ({error})")
        self.duckdb = duckdb
        self.version = duckdb.__version__

    def run(self, target, program, tables):
        connection = self.duckdb.connect(":memory:")
        try:
            for name, (header, rows) in tables.items():
                columns = typed_columns(header, rows)
                described = ", ".join(
                    quote_name(column) + " " + (("BIGINT" if whole else "DOUBLE")
                                                if kind == "number" else SQL_TYPES[kind])
                    for column, kind, whole, _ in columns)
                for schema in name.split(".")[:-1]:
                    connection.execute(f"CREATE SCHEMA IF NOT EXISTS {quote_name(schema)}")
                connection.execute(f"CREATE TABLE {quote_table(name)}({described})")
                if rows:
                    marks = ", ".join("?" for _ in columns)
                    connection.executemany(
                        f"INSERT INTO {quote_table(name)} VALUES ({marks})",
                        [list(cells) for cells in zip(*(values for *_, values in columns))])
            try:
                result = connection.execute(program)
                names = [column[0] for column in result.description]
                rows = [[plain(value) for value in row] for row in result.fetchall()]
            except self.duckdb.Error as error:
                raise EngineFailed(str(error))
            return names, rows
        finally:
            connection.close()

    def close(self):
        pass
