"""The tables the engine tests share, written once as Python values, and each kind of table
and each file format made from them: the rows hold missing values in every column, dates,
timestamps and texts with commas and quotes."""

from __future__ import annotations

import csv
import datetime
import decimal
import json
from pathlib import Path

D = datetime.date
T = datetime.datetime

# Each column: its name and DuckDB's type for it.
SALES_COLUMNS = [
    ("id", "BIGINT"), ("day", "DATE"), ("at", "TIMESTAMP"), ("store", "VARCHAR"),
    ("note", "VARCHAR"), ("units", "BIGINT"), ("price", "DOUBLE"), ("paid", "BOOLEAN"),
]
SALES = [
    (1, D(2024, 1, 5), T(2024, 1, 5, 9, 30), "A", "hello, world", 3, 2.5, True),
    (2, D(2024, 1, 6), T(2024, 1, 6, 17, 45, 10), "B", 'say "hi", twice', None, 4.0, False),
    (3, None, T(2024, 1, 7, 8, 0), "A", None, 5, 1.25, True),
    (4, D(2024, 1, 8), None, "C", 'a,b,"c"', 2, None, None),
    (5, D(2024, 1, 9), T(2024, 1, 9, 12, 0), "B", "plain", 7, 3.0, True),
]
STORES_COLUMNS = [("store", "VARCHAR"), ("city", "VARCHAR")]
STORES = [("A", "Oslo"), ("B", "Rome, Lazio"), ("D", "Lima")]
TABLES = {"sales": (SALES_COLUMNS, SALES), "stores": (STORES_COLUMNS, STORES)}

# Each sentence with the rows it means, in order.
CASES = [
    ("sales then keep where [units] > 2 then sort [id] then pick [id, store, note]",
     [(1, "A", "hello, world"), (3, "A", None), (5, "B", "plain")]),
    ("sales then summarize [n] as row_count(), [total] as total([units]) by [store] "
     "then sort [store]",
     [("A", 2, 8), ("B", 2, 7), ("C", 1, 2)]),
    ('sales then join stores by [store] unmatched "none" then sort [id] then pick [id, city]',
     [(1, "Oslo"), (2, "Rome, Lazio"), (3, "Oslo"), (5, "Rome, Lazio")]),
    ('sales then keep where [paid] and [at] is not missing then add [h] as hour([at]) '
     'then sort [id] then pick [id, h, at]',
     [(1, 9, T(2024, 1, 5, 9, 30)), (3, 8, T(2024, 1, 7, 8, 0)), (5, 12, T(2024, 1, 9, 12, 0))]),
    ('sales then keep where [day] > to_date("2024-01-05") or [price] is missing '
     'then sort [day] descending then pick [id, day, note, price]',
     [(5, D(2024, 1, 9), "plain", 3.0), (4, D(2024, 1, 8), 'a,b,"c"', None),
      (2, D(2024, 1, 6), 'say "hi", twice', 4.0)]),
]


def plain(value):
    """A value as the tests compare it: a number as a float, a timestamp without its engine's
    own class, NaN as missing."""
    if value is None:
        return None
    if isinstance(value, bool):
        return value
    if isinstance(value, (int, float, decimal.Decimal)):
        return None if value != value else float(value)
    if hasattr(value, "to_pydatetime"):
        return value.to_pydatetime()
    return value


def same_rows(got, expected) -> bool:
    """Whether the rows are the rows meant. pandas holds a date as a timestamp at midnight,
    which stands for the date here."""
    if len(got) != len(expected):
        return False
    for got_row, expected_row in zip(got, expected):
        if len(got_row) != len(expected_row):
            return False
        for value, meant in zip(got_row, expected_row):
            value, meant = plain(value), plain(meant)
            if isinstance(meant, D) and not isinstance(meant, T) and isinstance(value, T):
                value = value.date() if value.time() == datetime.time() else value
            if value != meant:
                return False
    return True


def duckdb_relations(connection) -> dict:
    """Each table as a table of the connection, given as `connection.table(name)`."""
    for name, (columns, rows) in TABLES.items():
        connection.execute(
            f"CREATE OR REPLACE TABLE {name} ("
            + ", ".join(f"\"{column}\" {kind}" for column, kind in columns) + ")"
        )
        connection.executemany(
            f"INSERT INTO {name} VALUES ({', '.join('?' * len(columns))})", rows
        )
    return {name: connection.table(name) for name in TABLES}


def pandas_frames() -> dict:
    import pandas as pd

    frames = {}
    for name, (columns, rows) in TABLES.items():
        frame = pd.DataFrame(rows, columns=[column for column, _ in columns])
        for column, kind in columns:
            if kind in ("DATE", "TIMESTAMP"):
                frame[column] = pd.to_datetime(frame[column])
            elif kind == "BOOLEAN":
                frame[column] = frame[column].astype("boolean")
        frames[name] = frame
    return frames


def polars_frames() -> dict:
    import polars as pl

    kinds = {"BIGINT": pl.Int64, "DOUBLE": pl.Float64, "VARCHAR": pl.String,
             "BOOLEAN": pl.Boolean, "DATE": pl.Date, "TIMESTAMP": pl.Datetime("us")}
    return {
        name: pl.DataFrame(rows, schema={column: kinds[kind] for column, kind in columns},
                           orient="row")
        for name, (columns, rows) in TABLES.items()
    }


def spark_frames(spark) -> dict:
    from pyspark.sql import types as spark_types

    kinds = {"BIGINT": spark_types.LongType(), "DOUBLE": spark_types.DoubleType(),
             "VARCHAR": spark_types.StringType(), "BOOLEAN": spark_types.BooleanType(),
             "DATE": spark_types.DateType(), "TIMESTAMP": spark_types.TimestampNTZType()}
    return {
        name: spark.createDataFrame(rows, spark_types.StructType(
            [spark_types.StructField(column, kinds[kind], True) for column, kind in columns]))
        for name, (columns, rows) in TABLES.items()
    }


def _text(value) -> str:
    if value is None:
        return ""
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, T):
        return value.isoformat(sep=" ")
    return str(value)


def write_files(folder: Path, extension: str) -> dict:
    """Each table in a file of the format, in the folder; the paths by table name."""
    paths = {}
    for name, (columns, rows) in TABLES.items():
        path = folder / f"{name}{extension}"
        names = [column for column, _ in columns]
        if extension == ".csv":
            with open(path, "w", newline="") as handle:
                writer = csv.writer(handle)
                writer.writerow(names)
                writer.writerows([[_text(value) for value in row] for row in rows])
        elif extension == ".json":
            records = [{column: (None if value is None else
                                 value if isinstance(value, (bool, int, float)) else _text(value))
                        for column, value in zip(names, row)} for row in rows]
            path.write_text(json.dumps(records, indent=1))
        else:
            import duckdb

            connection = duckdb.connect()
            duckdb_relations(connection)[name].write_parquet(str(path))
        paths[name] = path
    return paths
