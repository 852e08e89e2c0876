"""The kinds of table `brell.run` runs on, and how a compiled program runs on each.

A kind knows its tables by their class alone (no library is imported to ask), reads a table's
columns as brell's type words, names the backend its programs are compiled for, and runs a
program on tables of its kind, answering with a table of the same kind:

    kind     tables                       compiled for   run
    pandas   pandas.DataFrame             pandas         evaluated with `pd` and `np`
    polars   polars.DataFrame             polars         evaluated with `pl`, then collected
    duckdb   duckdb.DuckDBPyRelation      sql            on the relations' own connection
    spark    pyspark.sql.DataFrame        pyspark        evaluated on the frames' own session
"""

from __future__ import annotations

from typing import Any, Mapping, Optional

from . import _column_types


def _class_of(table: Any) -> tuple:
    kind = type(table)
    return kind.__module__, kind.__name__


class Kind:
    """One kind of table."""

    name = ""
    backend = ""

    def holds(self, table: Any) -> bool:
        raise NotImplementedError

    def column_types(self, table: Any, table_name: str) -> dict[str, str]:
        raise NotImplementedError

    def execute(self, program: str, tables: Mapping[str, Any]) -> Any:
        """Runs the program on the tables, named as the sentence names them; the first is the
        table the sentence starts from."""
        raise NotImplementedError

    # How a table of this kind is made from a DuckDB relation (a file read by DuckDB), and
    # how a result is read back: the command line's traffic with files.

    def from_relation(self, relation: Any, session: Any) -> Any:
        """The relation's rows as a table of this kind (`session`: Spark's, else None)."""
        raise NotImplementedError

    def names_and_rows(self, table: Any) -> tuple[list[str], list[tuple]]:
        """The table's column names, and its rows as tuples of Python values, None for
        missing."""
        raise NotImplementedError

    def to_relation(self, table: Any, connection: Any) -> Any:
        """The table as a relation of the connection, to be written to a file."""
        raise NotImplementedError


def _evaluated(program: str, backend: str, namespace: dict[str, Any]) -> Any:
    return eval(compile(program, f"<brell --as {backend}>", "eval"), namespace)  # noqa: S307


def _bound_by_name(kind: str, namespace: dict[str, Any], tables: Mapping[str, Any]) -> None:
    """Binds each table to its name beside the names the program reads for itself."""
    hidden = [name for name in tables if name in namespace]
    if hidden:
        raise ValueError(
            f"the {kind} program calls its library `{hidden[0]}`, so a table of that name "
            "cannot be run on; give the table another name"
        )
    namespace.update(tables)


class PandasKind(Kind):
    name = backend = "pandas"

    def holds(self, table: Any) -> bool:
        module, name = _class_of(table)
        return module.split(".")[0] == "pandas" and name == "DataFrame"

    def column_types(self, table: Any, table_name: str) -> dict[str, str]:
        types = {}
        for column in table.columns:
            if not isinstance(column, str):
                raise TypeError(
                    f"column {column!r} of table `{table_name}` is named by a "
                    f"{type(column).__name__}; brell's columns are named by text"
                )
            types[column] = _column_types.pandas_type_word(table_name, column, table[column])
        return types

    def execute(self, program: str, tables: Mapping[str, Any]) -> Any:
        import numpy as np
        import pandas as pd

        namespace: dict[str, Any] = {"pd": pd, "np": np}
        _bound_by_name(self.name, namespace, tables)
        return _evaluated(program, self.backend, namespace)

    def from_relation(self, relation: Any, session: Any) -> Any:
        return relation.df()

    def names_and_rows(self, table: Any) -> tuple[list[str], list[tuple]]:
        import pandas as pd

        def plain(value: Any) -> Any:
            if value is None or value is pd.NaT or (not isinstance(value, str) and pd.isna(value)):
                return None
            if isinstance(value, pd.Timestamp):
                return value.to_pydatetime()
            return value.item() if hasattr(value, "item") else value

        rows = [tuple(plain(value) for value in row)
                for row in table.itertuples(index=False, name=None)]
        return list(table.columns), rows

    def to_relation(self, table: Any, connection: Any) -> Any:
        return connection.from_df(table)


class PolarsKind(Kind):
    name = backend = "polars"

    def holds(self, table: Any) -> bool:
        module, name = _class_of(table)
        return module.split(".")[0] == "polars" and name == "DataFrame"

    def column_types(self, table: Any, table_name: str) -> dict[str, str]:
        return {
            column: _column_types.polars_type_word(table_name, column, dtype)
            for column, dtype in table.schema.items()
        }

    def execute(self, program: str, tables: Mapping[str, Any]) -> Any:
        import polars as pl

        namespace: dict[str, Any] = {"pl": pl}
        _bound_by_name(self.name, namespace, tables)
        result = _evaluated(program, self.backend, namespace)
        return result.collect() if type(result).__name__ == "LazyFrame" else result

    def from_relation(self, relation: Any, session: Any) -> Any:
        return relation.pl()

    def names_and_rows(self, table: Any) -> tuple[list[str], list[tuple]]:
        return table.columns, table.rows()

    def to_relation(self, table: Any, connection: Any) -> Any:
        return connection.from_arrow(table.to_arrow())


class DuckDBKind(Kind):
    """Relations run as SQL on their own connection. Each table the sentence reads is made a
    view of its name there, replacing one of that name (by `DuckDBPyRelation.create_view`, and
    the first by `DuckDBPyRelation.query`, which runs the program on it), unless the relation is
    that connection's table of the same name already (`connection.table("sales")` given as
    `sales`). The views stay, since the answer is a lazy relation of that connection that reads
    them."""

    name = "duckdb"
    backend = "sql"

    def holds(self, table: Any) -> bool:
        module, name = _class_of(table)
        return module.lstrip("_").split(".")[0] == "duckdb" and name == "DuckDBPyRelation"

    def column_types(self, table: Any, table_name: str) -> dict[str, str]:
        return {
            column: _column_types.duckdb_type_word(table_name, column, duckdb_type)
            for column, duckdb_type in zip(table.columns, table.types)
        }

    def execute(self, program: str, tables: Mapping[str, Any]) -> Any:
        dotted = [name for name in tables if "." in name]
        if dotted:
            raise ValueError(
                f"table `{dotted[0]}` names a table in a schema, which a relation cannot be "
                "made; give the relation a name without a `.`"
            )
        import duckdb

        (head_name, head), *others = tables.items()
        # The head is made a view by `query` itself; one that is the table of its name already
        # is read as that table, and `query` names it otherwise.
        head_view = _QUERY_VIEW if _reads_its_namesake(head, head_name) else head_name
        try:
            for name, relation in others:
                _refuse_another_connection(head, head_name, head_view, name, relation)
                if not _reads_its_namesake(relation, name):
                    relation.create_view(name, replace=True)
            return head.query(head_view, program)
        except duckdb.BinderException as error:
            if "recursive" not in str(error):
                raise
            raise ValueError(
                "a relation given as a table reads a table or view of its connection by the "
                "same name, so it cannot be made a view of that name; give it another name "
                f"({error})"
            ) from None

    def from_relation(self, relation: Any, session: Any) -> Any:
        return relation

    def names_and_rows(self, table: Any) -> tuple[list[str], list[tuple]]:
        return table.columns, table.fetchall()

    def to_relation(self, table: Any, connection: Any) -> Any:
        return table


# The view `DuckDBPyRelation.query` makes of the first relation when it cannot take the table's
# name; each run replaces it.
_QUERY_VIEW = "brell_query"


def _refuse_another_connection(
    head: Any, head_name: str, head_view: str, name: str, relation: Any
) -> None:
    """A ValueError when the relation lives on another connection than the head: a view made
    from it under a name never used before is then not seen from the head's. (A view of the
    table's name left by an earlier run would be seen, and read in its stead.)"""
    import uuid

    probe = f"{_QUERY_VIEW}_{uuid.uuid4().hex}"
    relation.create_view(probe)
    seen = head.query(
        head_view, f"SELECT count(*) FROM duckdb_views() WHERE view_name = '{probe}'"
    ).fetchone()[0]
    if not seen:
        # The probe stays on the other connection: only a statement run there could drop it,
        # and each such statement leaves a view of its own.
        raise ValueError(
            f"relation `{name}` belongs to another DuckDB connection than `{head_name}`; the "
            "relations of one run must be of one connection"
        )
    head.query(head_view, f'DROP VIEW "{probe}"')


def _reads_its_namesake(relation: Any, name: str) -> bool:
    """Whether the relation is the connection's own table or view `name`, read whole."""
    return relation.sql_query() in (f"SELECT * FROM main.{name}", f'SELECT * FROM main."{name}"')


class _SessionOfTables:
    """The `spark` a PySpark program reads its tables from: `spark.table(name)` is the given
    DataFrame of that name, so nothing is added to the session's catalog; everything else is
    the frames' own session."""

    def __init__(self, session: Any, tables: Mapping[str, Any]) -> None:
        self._session = session
        self._tables = dict(tables)

    def table(self, name: str) -> Any:
        return self._tables[name] if name in self._tables else self._session.table(name)

    def __getattr__(self, attribute: str) -> Any:
        return getattr(self._session, attribute)


class SparkKind(Kind):
    name = "spark"
    backend = "pyspark"

    def holds(self, table: Any) -> bool:
        module, name = _class_of(table)
        return module.startswith("pyspark.sql") and name == "DataFrame"

    def column_types(self, table: Any, table_name: str) -> dict[str, str]:
        return {
            field.name: _column_types.spark_type_word(table_name, field.name, field.dataType)
            for field in table.schema.fields
        }

    def execute(self, program: str, tables: Mapping[str, Any]) -> Any:
        from pyspark.sql import Window
        from pyspark.sql import functions as F

        sessions = {id(frame.sparkSession): name for name, frame in tables.items()}
        if len(sessions) > 1:
            raise ValueError(
                "the DataFrames belong to different Spark sessions ("
                + ", ".join(f"`{name}`" for name in sessions.values())
                + "); a program runs on one"
            )
        session = next(iter(tables.values())).sparkSession
        namespace = {"spark": _SessionOfTables(session, tables), "F": F, "Window": Window}
        return _evaluated(program, self.backend, namespace)

    def from_relation(self, relation: Any, session: Any) -> Any:
        """The rows are sent to the session with a schema of Spark's types for DuckDB's, so that
        no type is guessed again and any master (local or a cluster's) receives them."""
        from pyspark.sql import types as spark_types

        relation = _wide_integers_as_decimals(relation)
        schema = spark_types.StructType([
            spark_types.StructField(name, _spark_type(spark_types, str(duckdb_type)), True)
            for name, duckdb_type in zip(relation.columns, relation.types)
        ])
        return session.createDataFrame(relation.fetchall(), schema)

    def names_and_rows(self, table: Any) -> tuple[list[str], list[tuple]]:
        return table.columns, [tuple(row) for row in table.collect()]

    def to_relation(self, table: Any, connection: Any) -> Any:
        """Through pandas, whose nullable dtypes keep whole numbers and truths with missing
        values as they are (plain ones would make them floats and objects)."""
        frame = table.toPandas()
        for field in table.schema.fields:
            spark_type = type(field.dataType).__name__
            if spark_type in ("ByteType", "ShortType", "IntegerType", "LongType"):
                frame[field.name] = frame[field.name].astype("Int64")
            elif spark_type == "BooleanType":
                frame[field.name] = frame[field.name].astype("boolean")
        return connection.from_df(frame)


# DuckDB's integers wider than Spark's LongType, which Spark holds as DECIMAL(38,0).
_WIDE_INTEGERS = ("HUGEINT", "UBIGINT", "UHUGEINT")


def _wide_integers_as_decimals(relation: Any) -> Any:
    """The relation with its integers too wide for a LongType cast to DECIMAL(38,0), whose
    values Python reads as the Decimal that Spark's DecimalType takes."""
    types = [str(duckdb_type) for duckdb_type in relation.types]
    if not any(duckdb_type in _WIDE_INTEGERS for duckdb_type in types):
        return relation
    quoted = ['"' + name.replace('"', '""') + '"' for name in relation.columns]
    return relation.project(", ".join(
        f"CAST({name} AS DECIMAL(38,0)) AS {name}" if duckdb_type in _WIDE_INTEGERS else name
        for name, duckdb_type in zip(quoted, types)
    ))


def _spark_type(spark_types: Any, duckdb_type: str) -> Any:
    """Spark's type for a DuckDB type that brell reads (see _column_types)."""
    fixed = {
        "TINYINT": spark_types.ByteType(), "SMALLINT": spark_types.ShortType(),
        "INTEGER": spark_types.IntegerType(), "BIGINT": spark_types.LongType(),
        "UTINYINT": spark_types.ShortType(), "USMALLINT": spark_types.IntegerType(),
        "UINTEGER": spark_types.LongType(), "FLOAT": spark_types.FloatType(),
        "DOUBLE": spark_types.DoubleType(), "VARCHAR": spark_types.StringType(),
        "BOOLEAN": spark_types.BooleanType(), "DATE": spark_types.DateType(),
    }
    if duckdb_type in fixed:
        return fixed[duckdb_type]
    if duckdb_type.startswith("TIMESTAMP"):
        return spark_types.TimestampNTZType()
    if duckdb_type.startswith("DECIMAL("):
        precision, scale = duckdb_type[len("DECIMAL("):-1].split(",")
        return spark_types.DecimalType(int(precision), int(scale))
    return spark_types.DecimalType(38, 0)  # the wide integers, cast so beforehand


KINDS = (PandasKind(), PolarsKind(), DuckDBKind(), SparkKind())
KINDS_IN_WORDS = "pandas or polars DataFrames, DuckDB relations or PySpark DataFrames"


def kind_of(table: Any) -> Optional[Kind]:
    """The kind the table is, or None."""
    return next((kind for kind in KINDS if kind.holds(table)), None)


def kind_named(name: str) -> Kind:
    return next(kind for kind in KINDS if kind.name == name)
