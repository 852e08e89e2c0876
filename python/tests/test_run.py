"""`brell.run` on pandas and polars frames: the types read from the frames, and the rows the
sentences mean, missing values and all."""

from __future__ import annotations

import datetime

import pandas as pd
import polars as pl
import pytest

import brell

from conftest import rows_of

COLUMNS = ["id", "region", "revenue", "day"]
ROWS = [
    (1, "West", 10.0, datetime.datetime(2024, 1, 5)),
    (2, "East", None, datetime.datetime(2024, 1, 3)),
    (3, "West", 30.0, None),
    (4, None, 20.0, datetime.datetime(2024, 1, 4)),
    (5, "North", 30.0, datetime.datetime(2024, 1, 1)),
]
CUSTOMERS = [(1, "Oslo"), (3, "Rome"), (None, "Nowhere"), (9, "Lima")]


def pandas_tables():
    sales = pd.DataFrame(ROWS, columns=COLUMNS)
    sales["day"] = pd.to_datetime(sales["day"])
    customers = pd.DataFrame(CUSTOMERS, columns=["id", "city"])
    return {"sales": sales, "customers": customers}


def polars_tables():
    sales = pl.DataFrame(ROWS, schema=COLUMNS, orient="row")
    customers = pl.DataFrame(CUSTOMERS, schema=["id", "city"], orient="row")
    return {"sales": sales, "customers": customers}


FRAMES = {"pandas": pandas_tables, "polars": polars_tables}

# Each sentence with the rows it means, in order or (as a set) in any order.
CASES = [
    ('sales then keep where [region] is "West" then take 10 then pick [id, region]',
     [(1, "West"), (3, "West")]),
    ('sales then keep where [region] is not "West" then pick [id]', {(2,), (5,)}),
    ("sales then keep where [revenue] is missing or [day] is missing then pick [id]",
     {(2,), (3,)}),
    ("sales then keep where [revenue] >= 20 then sort [revenue] descending, [id] then pick [id]",
     [(3,), (5,), (4,)]),
    ("sales then keep where [revenue] is not missing "
     "then summarize [n] as row_count(), [total] as total([revenue]) by [region]",
     {("North", 1, 30), ("West", 2, 40), (None, 1, 20)}),
    ("sales then join customers by [id] unmatched \"none\" then pick [id, city]",
     {(1, "Oslo"), (3, "Rome")}),
]


@pytest.mark.parametrize("library", FRAMES)
@pytest.mark.parametrize("sentence, expected", CASES)
def test_run_gives_the_rows_the_sentence_means(library, sentence, expected):
    tables = FRAMES[library]()
    result = brell.run(sentence, **tables)
    assert type(result).__module__.split(".")[0] == library
    rows = rows_of(result)
    if isinstance(expected, set):
        assert sorted(rows, key=repr) == sorted(expected, key=repr)
    else:
        assert rows == expected


def test_the_readme_example_on_both_libraries_gives_the_same_rows():
    sentence = 'sales then keep where [region] is "West" then take 10'
    on_pandas = brell.run(sentence, sales=pandas_tables()["sales"])
    on_polars = brell.run(sentence, sales=polars_tables()["sales"])
    assert list(on_pandas.columns) == on_polars.columns == COLUMNS
    assert [row[:3] for row in rows_of(on_pandas)] == [row[:3] for row in rows_of(on_polars)]
    assert [row[0] for row in rows_of(on_polars)] == [1, 3]


def test_types_are_read_from_pandas_dtypes():
    frame = pd.DataFrame({
        "i": pd.Series([1], dtype="int64"), "n": pd.Series([1], dtype="Int64"),
        "f": [1.5], "t": ["a"], "s": pd.Series(["a"], dtype="string"), "b": [True],
        "nb": pd.Series([True], dtype="boolean"), "at": pd.to_datetime(["2024-01-01"]),
        "none": pd.Series([None], dtype=object),
    })
    assert brell.column_types(frame) == {
        "i": "number", "n": "number", "f": "number", "t": "text", "s": "text", "b": "truth",
        "nb": "truth", "at": "timestamp", "none": "text",
    }


def test_types_are_read_from_polars_dtypes():
    frame = pl.DataFrame({
        "i": [1], "u": pl.Series([1], dtype=pl.UInt8), "f": [1.5], "t": ["a"], "b": [True],
        "d": [datetime.date(2024, 1, 1)], "at": [datetime.datetime(2024, 1, 1, 12)],
    })
    assert brell.column_types(frame) == {
        "i": "number", "u": "number", "f": "number", "t": "text", "b": "truth", "d": "date",
        "at": "timestamp",
    }


@pytest.mark.parametrize(
    "frame, words",
    [
        (pd.DataFrame({"c": pd.Categorical(["a"])}), "column `c` of table `sales` has the type category"),
        (pd.DataFrame({"o": [object()]}), "column `o` of table `sales` has the type object and holds object"),
        (pd.DataFrame({"z": pd.to_datetime(["2024-01-01"]).tz_localize("UTC")}), "column `z`"),
        (pl.DataFrame({"l": [[1, 2]]}), "column `l` of table `sales` has the type List"),
        (pl.DataFrame({"c": pl.Series(["a"], dtype=pl.Categorical)}), "column `c`"),
    ],
)
def test_an_unsupported_dtype_is_named(frame, words):
    with pytest.raises(TypeError, match=words):
        brell.run("sales then take 1", sales=frame)


def test_what_run_refuses_before_running():
    tables = pandas_tables()
    with pytest.raises(ValueError, match="reads `customers`, which was not given"):
        brell.run("sales then join customers by [id]", sales=tables["sales"])
    with pytest.raises(TypeError, match="`sales` is pandas, `customers` is polars"):
        brell.run("sales then join customers by [id]", sales=tables["sales"],
                  customers=polars_tables()["customers"])
    with pytest.raises(TypeError, match="is a builtins.list; brell runs on pandas or polars DataFrames, DuckDB relations"):
        brell.run("sales then take 1", sales=[1, 2])
    with pytest.raises(brell.Refusal, match="there is no column called `price`"):
        brell.run("sales then pick [price]", sales=tables["sales"])
