"""Running a sentence on DataFrames: the columns and their types are read from the frames, the
sentence is compiled for the frames' own library, and the program runs on them.

How a column's dtype is read as a type word:

    type word   pandas                                      polars
    number      int*, uint*, float* and their nullable      Int*, UInt*, Float*, Decimal
                forms (Int64, Float64, ...)
    text        string; object holding only str (and        String
                missing values)
    truth       bool, boolean                               Boolean
    date        -                                           Date
    timestamp   datetime64 without a time zone              Datetime without a time zone

Any other dtype (categories, time zones, durations, lists, ...) raises a TypeError that names
the table, the column and its dtype. pandas has no dtype of its own for a date without a time:
its dates are datetime64 and are read as timestamps, which differ from dates only for `hour`
and `kind`.
"""

from __future__ import annotations

from typing import Any, Mapping, Optional

from ._api import _answered, _checked_sentence
from . import _brell

_TYPE_WORDS = "number, text, truth, date or timestamp"


def _library(frame: Any) -> Optional[str]:
    """"pandas" or "polars" for a DataFrame of either, else None. Neither is imported here."""
    module = type(frame).__module__.split(".")[0]
    if module == "pandas" and type(frame).__name__ == "DataFrame":
        return "pandas"
    if module == "polars" and type(frame).__name__ == "DataFrame":
        return "polars"
    return None


def _unsupported(table: str, column: str, dtype: object) -> TypeError:
    return TypeError(
        f"column `{column}` of table `{table}` has the dtype {dtype}, which brell has no type "
        f"for; convert it to one that reads as {_TYPE_WORDS} (see help(brell.run))"
    )


def _pandas_type(table: str, column: str, series: Any) -> str:
    import pandas as pd

    dtype = series.dtype
    kind = getattr(dtype, "kind", None)
    if pd.api.types.is_bool_dtype(dtype):
        return "truth"
    if isinstance(dtype, pd.CategoricalDtype) or isinstance(dtype, pd.DatetimeTZDtype):
        raise _unsupported(table, column, dtype)
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
            f"column `{column}` of table `{table}` has the dtype object and holds "
            f"{type(odd).__name__} values; brell reads an object column only when it holds "
            f"text. Convert it to one that reads as {_TYPE_WORDS} (see help(brell.run))"
        )
    raise _unsupported(table, column, dtype)


def _polars_type(table: str, column: str, dtype: Any) -> str:
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
    raise _unsupported(table, column, dtype)


def column_types(frame: Any, table: str = "the table") -> dict[str, str]:
    """The frame's columns as brell reads them: a mapping of name to type word, in order.

    Raises:
        TypeError: the frame is neither a pandas nor a polars DataFrame, a column's name is not
            a str, or a column has a dtype brell has no type for (named in the message).
    """
    library = _library(frame)
    types: dict[str, str] = {}
    if library == "pandas":
        for name in frame.columns:
            if not isinstance(name, str):
                raise TypeError(
                    f"column {name!r} of table `{table}` is named by a "
                    f"{type(name).__name__}; brell's columns are named by text"
                )
            types[name] = _pandas_type(table, name, frame[name])
    elif library == "polars":
        for name, dtype in frame.schema.items():
            types[name] = _polars_type(table, name, dtype)
    else:
        raise TypeError(
            f"table `{table}` is a {type(frame).__module__}.{type(frame).__name__}; "
            "brell runs on pandas and polars DataFrames"
        )
    if not types:
        raise ValueError(f"table `{table}` has no columns")
    return types


def _namespace(library: str) -> dict[str, Any]:
    if library == "pandas":
        import numpy as np
        import pandas as pd

        return {"pd": pd, "np": np}
    import polars as pl

    return {"pl": pl}


def run(sentence: str, tables: Optional[Mapping[str, Any]] = None, **frames: Any) -> Any:
    """Runs the sentence on DataFrames and returns the table it makes, a DataFrame of the same
    library.

        brell.run('sales then keep where [region] is "West" then take 10', sales=df)

    Every table the sentence reads (`brell.needs(sentence)`) is given by name, as a keyword
    argument or in `tables` (for names that are not Python identifiers). The frames are all
    pandas or all polars DataFrames. Their columns and types are read from the frames (see
    help(brell._frames) for the dtypes and the type words they read as), the sentence is
    compiled for that library, and the program runs on the frames.

    Raises:
        Refusal: the compiler refused the sentence for these frames.
        TypeError: a frame is not a pandas or polars DataFrame, the frames mix the two, or a
            column has a dtype brell has no type for.
        ValueError: a table the sentence reads was not given.
    """
    sentence = _checked_sentence(sentence)
    given: dict[str, Any] = dict(tables or {})
    for name, frame in frames.items():
        if name in given:
            raise TypeError(f"table `{name}` was given twice")
        given[name] = frame
    needed = _answered(_brell.needs(sentence), sentence, stacklevel=2).splitlines()
    missing = [name for name in needed if name not in given]
    if missing:
        listed = ", ".join(f"`{name}`" for name in missing)
        raise ValueError(f"the sentence reads {listed}, which was not given")
    libraries = {name: _library(given[name]) for name in needed}
    for name, library in libraries.items():
        if library is None:
            column_types(given[name], name)  # raises, naming what the frame is
    if len(set(libraries.values())) > 1:
        raise TypeError(
            "the tables mix pandas and polars DataFrames: "
            + ", ".join(f"`{name}` is {library}" for name, library in libraries.items())
        )
    library = libraries[needed[0]]
    head = list(column_types(given[needed[0]], needed[0]).items())
    named = [(name, list(column_types(given[name], name).items())) for name in needed[1:]]
    program = _answered(_brell.compile(sentence, head, named, library), sentence, stacklevel=2)
    namespace = _namespace(library)
    hidden = [name for name in needed if name in namespace]
    if hidden:
        raise ValueError(
            f"the {library} program calls its library `{hidden[0]}`, so a table of that name "
            "cannot be run on; give the table another name"
        )
    namespace.update({name: given[name] for name in needed})
    result = eval(compile(program, f"<brell --as {library}>", "eval"), namespace)  # noqa: S307
    if library == "polars" and type(result).__name__ == "LazyFrame":
        result = result.collect()
    return result
