"""The engines the cases run on, behind one small interface, for the case driver and any other
test that runs programs (a differential test, say).

    from engines import EngineFailed, EngineMissing, open_engine
    engine = open_engine("spark")          # raises EngineMissing when it cannot be loaded
    engine.backends                        # ("spark", "pyspark"): the brell targets it runs
    result = engine.run_program("spark", program, tables)
    result.columns, result.rows, result.error   # rows as plain Python values, or the error text
    engine.close()

`tables` maps a table name to (header, rows) as case_file.py reads them: header a list of
(name, type) with type one of number, text, truth, date, timestamp; rows lists of JSON values
(dates as "YYYY-MM-DD", timestamps as "YYYY-MM-DD HH:MM:SS", None for a missing value).
compare_rows.compare checks a result against expected rows (in order or as a bag).
"""

import collections
import importlib
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from engine_tables import EngineFailed, EngineMissing  # noqa: E402

ENGINES = ("duckdb", "spark", "pandas", "polars", "dplyr")
BACKENDS = {"duckdb": ("sql",), "spark": ("spark", "pyspark"), "pandas": ("pandas",),
            "polars": ("polars",), "dplyr": ("dplyr",)}

Result = collections.namedtuple("Result", "columns rows error")


def open_engine(name):
    """The engine of that name, started (one session for the whole run)."""
    if name not in ENGINES:
        raise ValueError(f"no engine {name!r}; the engines are {', '.join(ENGINES)}")
    engine = importlib.import_module(f"engine_{name}").Engine()
    engine.backends = engine.targets
    engine.run_program = lambda backend, program, tables: _result(engine, backend, program, tables)
    return engine


def _result(engine, backend, program, tables):
    try:
        columns, rows = engine.run(backend, program, tables)
    except EngineFailed as error:
        return Result(None, None, str(error))
    return Result(list(columns), rows, None)


__all__ = ["BACKENDS", "ENGINES", "EngineFailed", "EngineMissing", "Result", "open_engine"]
