"""`brell.run` on every kind of table: DuckDB relations, pandas and polars DataFrames and
PySpark DataFrames, each giving the rows each sentence means, in a table of its own kind."""

from __future__ import annotations

import duckdb
import pandas as pd
import polars as pl
import pytest
from pyspark.sql import types as spark_types

import brell

from shared_tables import (
    CASES, duckdb_relations, pandas_frames, polars_frames, same_rows, spark_frames,
)

KINDS = ["duckdb", "pandas", "polars", "spark"]


@pytest.fixture(scope="module")
def tables_of(spark):
    """The shared tables as each kind of table, made once."""
    connection = duckdb.connect()
    made = {"duckdb": duckdb_relations(connection), "pandas": pandas_frames(),
            "polars": polars_frames(), "spark": spark_frames(spark)}
    return made


def rows_of(result) -> list[tuple]:
    if isinstance(result, duckdb.DuckDBPyRelation):
        return result.fetchall()
    if isinstance(result, pl.DataFrame):
        return result.rows()
    if isinstance(result, pd.DataFrame):
        return list(result.itertuples(index=False, name=None))
    return [tuple(row) for row in result.collect()]


@pytest.mark.parametrize("kind", KINDS)
@pytest.mark.parametrize("sentence, expected", CASES)
def test_each_kind_gives_the_rows_the_sentence_means(tables_of, kind, sentence, expected):
    tables = tables_of[kind]
    result = brell.run(sentence, tables={name: tables[name] for name in brell.needs(sentence)})
    assert type(result) is type(tables["sales"])
    rows = rows_of(result)
    assert same_rows(rows, expected), rows


def test_a_relation_that_is_not_a_table_of_its_connection_runs_too():
    connection = duckdb.connect()
    sales = connection.sql("SELECT * FROM (VALUES (1, 'a'), (2, 'b')) AS t(id, name)")
    others = connection.sql("SELECT 2 AS id, 'x' AS tag")
    result = brell.run('s then join o by [id] unmatched "none" then pick [name, tag]',
                       s=sales, o=others)
    assert result.fetchall() == [("b", "x")]
    elsewhere = duckdb.connect().sql("SELECT 2 AS id, 'x' AS tag")
    # `o`, a view of the first connection since the run above, must not stand in for it.
    with pytest.raises(ValueError, match="`o` belongs to another DuckDB connection than `s`"):
        brell.run('s then join o by [id] unmatched "none"', s=sales, o=elsewhere)


def test_types_are_read_from_duckdb_and_spark_schemas(spark):
    relation = duckdb.sql(
        "SELECT 1::TINYINT a, 1::UBIGINT b, 1.5::DECIMAL(18,3) c, 1::DOUBLE d, 'x' e, true f, "
        "DATE '2024-01-01' g, TIMESTAMP '2024-01-01 10:00' h")
    assert brell.column_types(relation) == dict(zip(
        "abcdefgh", ["number"] * 4 + ["text", "truth", "date", "timestamp"]))
    T = spark_types
    frame = spark.createDataFrame([], T.StructType([
        T.StructField(name, kind) for name, kind in [
            ("a", T.ShortType()), ("b", T.DecimalType(10, 2)), ("c", T.FloatType()),
            ("d", T.StringType()), ("e", T.BooleanType()), ("f", T.DateType()),
            ("g", T.TimestampType()), ("h", T.TimestampNTZType())]]))
    assert brell.column_types(frame) == dict(zip(
        "abcdefgh", ["number"] * 3 + ["text", "truth", "date", "timestamp", "timestamp"]))


def test_a_column_of_another_type_is_refused_by_table_column_and_type(spark):
    relation = duckdb.sql("SELECT 1 AS id, INTERVAL 1 DAY AS wait")
    with pytest.raises(TypeError, match="column `wait` of table `sales` has the type INTERVAL"):
        brell.run("sales then take 1", sales=relation)
    frame = spark.createDataFrame([(1, [1, 2])], "id long, parts array<int>")
    with pytest.raises(TypeError, match="column `parts` of table `sales` has the type array<int>"):
        brell.run("sales then take 1", sales=frame)


def test_tables_of_different_kinds_are_refused_by_name(tables_of):
    with pytest.raises(TypeError, match="mix them: `sales` is duckdb, `stores` is spark"):
        brell.run("sales then join stores by [store]", sales=tables_of["duckdb"]["sales"],
                  stores=tables_of["spark"]["stores"])
    with pytest.raises(TypeError, match="`sales` is pandas, `stores` is polars"):
        brell.run("sales then join stores by [store]", sales=tables_of["pandas"]["sales"],
                  stores=tables_of["polars"]["stores"])


def test_the_magic_runs_on_relations_and_spark_frames(shell, tables_of):
    from IPython.utils.capture import capture_output

    sentence, expected = CASES[2]
    for kind in ("duckdb", "spark"):
        shell.user_ns.update(tables_of[kind])
        with capture_output():
            result = shell.run_cell_magic("brell", "--no-draw", sentence)
        assert same_rows(rows_of(result), expected), kind


def test_spark_reads_the_frames_given_not_the_sessions_tables_of_those_names(spark, tables_of):
    spark.createDataFrame([("A", "Elsewhere")], "store string, city string") \
        .createOrReplaceTempView("stores")
    try:
        sentence, expected = CASES[2]
        result = brell.run(sentence, sales=tables_of["spark"]["sales"],
                           stores=tables_of["spark"]["stores"])
        assert same_rows(rows_of(result), expected)
    finally:
        spark.catalog.dropTempView("stores")
