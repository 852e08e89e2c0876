"""Running a sentence on tables: the columns and their types are read from the tables, the
sentence is compiled for the tables' own library, and the program runs on them there."""

from __future__ import annotations

from typing import Any, Mapping, Optional

from . import _brell
from ._api import _answered, _checked_sentence, _column_list
from ._engines import KINDS_IN_WORDS, Kind, kind_of


def _not_a_table(table: Any, table_name: str) -> TypeError:
    return TypeError(
        f"table `{table_name}` is a {type(table).__module__}.{type(table).__name__}; "
        f"brell runs on {KINDS_IN_WORDS}"
    )


def column_types(table: Any, table_name: str = "the table") -> dict[str, str]:
    """The table's columns as brell reads them: a mapping of name to type word, in order.

    The table is a pandas or polars DataFrame, a DuckDB relation or a PySpark DataFrame; see
    help(brell._column_types) for the types each library's columns read as.

    Raises:
        TypeError: the table is none of those, a column's name is not a str, or a column has a
            type brell has no word for (named in the message).
        ValueError: the table has no columns.
    """
    kind = kind_of(table)
    if kind is None:
        raise _not_a_table(table, table_name)
    types = kind.column_types(table, table_name)
    if not types:
        raise ValueError(f"table `{table_name}` has no columns")
    return types


def tables_kind(tables: Mapping[str, Any]) -> Kind:
    """The one kind all the tables are; a TypeError names each table's kind when they mix."""
    kinds = {}
    for name, table in tables.items():
        kind = kind_of(table)
        if kind is None:
            raise _not_a_table(table, name)
        kinds[name] = kind
    if len({kind.name for kind in kinds.values()}) > 1:
        raise TypeError(
            "the tables of one run must be of one kind, and these mix them: "
            + ", ".join(f"`{name}` is {kind.name}" for name, kind in kinds.items())
        )
    return next(iter(kinds.values()))


def run(sentence: str, tables: Optional[Mapping[str, Any]] = None, **named_tables: Any) -> Any:
    """Runs the sentence on tables and returns the table it makes, of the same kind.

        brell.run('sales then keep where [region] is "West" then take 10', sales=df)

    Every table the sentence reads (`brell.needs(sentence)`) is given by name, as a keyword
    argument or in `tables` (for names that are not Python identifiers). The tables are all of
    one kind:

    - pandas DataFrames (run as `--as pandas`) or polars DataFrames (`--as polars`);
    - DuckDB relations (`--as sql`, on the relations' own connection, which must be one; each
      becomes a view of its name there, replacing one of that name, unless it is the
      connection's own table of that name);
    - PySpark DataFrames (`--as pyspark`, on the frames' own SparkSession, which must be one;
      the program reads the frames given, whatever the session's catalog holds).

    Their columns and types are read from the tables (see help(brell._column_types) for the
    types each library's columns read as), the sentence is compiled for that library, and the
    program runs on the tables.

    Raises:
        Refusal: the compiler refused the sentence for these tables.
        TypeError: a table is of none of those kinds, the tables mix kinds (each is named with
            its kind), or a column has a type brell has no word for.
        ValueError: a table the sentence reads was not given.
    """
    sentence = _checked_sentence(sentence)
    given: dict[str, Any] = dict(tables or {})
    for name, table in named_tables.items():
        if name in given:
            raise TypeError(f"table `{name}` was given twice")
        given[name] = table
    needed = _answered(_brell.needs(sentence), sentence, stacklevel=2).splitlines()
    missing = [name for name in needed if name not in given]
    if missing:
        listed = ", ".join(f"`{name}`" for name in missing)
        raise ValueError(f"the sentence reads {listed}, which was not given")
    read = {name: given[name] for name in needed}
    kind = tables_kind(read)
    head = _column_list(column_types(read[needed[0]], needed[0]), needed[0])
    named = [(name, _column_list(column_types(read[name], name), name)) for name in needed[1:]]
    program = _answered(_brell.compile(sentence, head, named, kind.backend), sentence, stacklevel=2)
    return kind.execute(program, read)
