"""How a column's type in each library is read as one of brell's type words.

    type word   pandas               polars           DuckDB               Spark
    number      int*, uint*, float*  Int*, UInt*,     TINYINT .. BIGINT,   ByteType .. LongType,
                and their nullable   Float*, Decimal  HUGEINT, the         FloatType, DoubleType,
                forms (Int64, ...)                    unsigned ones,       DecimalType
                                                      FLOAT, DOUBLE,
                                                      DECIMAL(p,s)
    text        string; object       String           VARCHAR              StringType
                holding only str
    truth       bool, boolean        Boolean          BOOLEAN              BooleanType
    date        -                    Date             DATE                 DateType
    timestamp   datetime64 without   Datetime         TIMESTAMP (also in   TimestampType,
                a time zone          without a time   s, ms and ns)        TimestampNTZType
                                     zone

Any other type (categories, time zones, durations, times, lists, structs, ...) raises a TypeError
that names the table, the column and the type. pandas has no dtype of its own for a date without
a time: its dates are datetime64 and are read as timestamps, which differ from dates only for
`hour` and `kind`.
"""

from __future__ import annotations

import re
from typing import Any

TYPE_WORDS = "number, text, truth, date or timestamp"

# DuckDB's names of the types brell reads, as `str()` of a relation's types spells them.
_DUCKDB_TYPE_WORDS = {
    **dict.fromkeys(
        ["TINYINT", "SMALLINT", "INTEGER", "BIGINT", "HUGEINT", "UTINYINT", "USMALLINT",
         "UINTEGER", "UBIGINT", "UHUGEINT", "FLOAT", "DOUBLE"],
        "number",
    ),
    "VARCHAR": "text",
    "BOOLEAN": "truth",
    "DATE": "date",
    **dict.fromkeys(["TIMESTAMP", "TIMESTAMP_S", "TIMESTAMP_MS", "TIMESTAMP_NS"], "timestamp"),
}
_DUCKDB_DECIMAL = re.compile(r"DECIMAL\(\d+,\s*\d+\)")

# Spark's type classes, by name, that brell reads.
_SPARK_TYPE_WORDS = {
    **dict.fromkeys(
        ["ByteType", "ShortType", "IntegerType", "LongType", "FloatType", "DoubleType",
         "DecimalType"],
        "number",
    ),
    "StringType": "text",
    "BooleanType": "truth",
    "DateType": "date",
    "TimestampType": "timestamp",
    "TimestampNTZType": "timestamp",
}


def unsupported(table: str, column: str, type_name: object) -> TypeError:
    return TypeError(
        f"column `{column}` of table `{table}` has the type {type_name}, which brell has no type "
        f"for; convert it to one that reads as {TYPE_WORDS} (see help(brell.run))"
    )


def pandas_type_word(table: str, column: str, series: Any) -> str:
    import pandas as pd

    dtype = series.dtype
    kind = getattr(dtype, "kind", None)
    if pd.api.types.is_bool_dtype(dtype):
        return "truth"
    if isinstance(dtype, pd.CategoricalDtype) or isinstance(dtype, pd.DatetimeTZDtype):
        raise unsupported(table, column, dtype)
    if pd.api.types.is_numeric_dtype(dtype) and kind in ("i", "u", "f"):
        return "number"
    if pd.api.types.is_datetime64_dtype(dtype):
        return "timestamp"
    if isinstance(dtype, pd.StringDtype):
        return "text"
    if dtype == object:
        present = series.dropna()
        if all(isinstance(value, str) for value in present):
            return "text"
        odd = next(value for value in present if not isinstance(value, str))
        raise TypeError(
            f"column `{column}` of table `{table}` has the type object and holds "
            f"{type(odd).__name__} values; brell reads an object column only when it holds "
            f"text. Convert it to one that reads as {TYPE_WORDS} (see help(brell.run))"
        )
    raise unsupported(table, column, dtype)


def polars_type_word(table: str, column: str, dtype: Any) -> str:
    import polars as pl

    if dtype == pl.Boolean:
        return "truth"
    if dtype.is_numeric():
        return "number"
    if dtype == pl.String:
        return "text"
    if dtype == pl.Date:
        return "date"
    if isinstance(dtype, pl.Datetime) and dtype.time_zone is None:
        return "timestamp"
    raise unsupported(table, column, dtype)


def duckdb_type_word(table: str, column: str, duckdb_type: Any) -> str:
    name = str(duckdb_type)
    word = _DUCKDB_TYPE_WORDS.get(name)
    if word is None and _DUCKDB_DECIMAL.fullmatch(name):
        word = "number"
    if word is None:
        raise unsupported(table, column, name)
    return word


def spark_type_word(table: str, column: str, spark_type: Any) -> str:
    word = _SPARK_TYPE_WORDS.get(type(spark_type).__name__)
    if word is None:
        raise unsupported(table, column, spark_type.simpleString())
    return word
