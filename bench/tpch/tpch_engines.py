"""The engines the TPC-H queries run on: each loads the tables it is asked for from the Parquet
files into memory, runs a brell program or a yardstick on them, and hands back the rows as plain
Python values.

brell's Python programs run as `brell.run` runs them, through the package's own kinds
(python/brell/_engines.py: the program evaluated with the tables bound by name, a polars
LazyFrame collected); the package's compiled core is not needed for that, so its kinds are
loaded from the source tree without it. SQL runs as the yardstick does, by DuckDB's `execute` on
the connection's tables (see DuckDBEngine), and Spark SQL, which the package does not run, on
temporary views of the tables.

    engine = open_engine("polars", data_dir, ["lineitem", "orders"])
    result = engine.run_brell("polars", program)      # the engine's own result, materialised
    result = engine.run_yardstick(number)
    engine.rows(result)                               # [tuple of plain values]
"""

import importlib
import inspect
import pathlib
import sys
import types

ROOT = pathlib.Path(__file__).resolve().parents[2]
HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

ENGINES = ("duckdb", "polars", "pandas", "spark")
# The brell backends each engine runs.
TARGETS = {"duckdb": ("sql",), "polars": ("polars",), "pandas": ("pandas",),
           "spark": ("pyspark", "spark")}


def package_kinds():
    """python/brell/_engines.py, imported without the package's __init__ (which loads the
    compiled core)."""
    if "brell" not in sys.modules:
        package = types.ModuleType("brell")
        package.__path__ = [str(ROOT / "python" / "brell")]
        sys.modules["brell"] = package
    return importlib.import_module("brell._engines")


def official_sql(data_dir, number):
    return (data_dir / "official" / f"q{number:02}.sql").read_text()


class DuckDBEngine:
    """The tables are the connection's own, under the names the sentence reads, and the program
    runs as the yardstick does, by `execute`. (`brell.run` on relations makes a view of each
    relation first and checks that they share a connection, which costs a few milliseconds a run
    whatever the program: measured apart, see the README.)"""

    name = "duckdb"

    def __init__(self, data_dir, tables):
        import duckdb
        self.data_dir = data_dir
        self.connection = duckdb.connect(":memory:")
        for table in tables:
            self.connection.execute(
                f"CREATE TABLE {table} AS SELECT * FROM '{data_dir / (table + '.parquet')}'")

    def run_brell(self, target, program):
        return self.connection.execute(program).fetchall()

    def run_yardstick(self, number):
        return self.connection.execute(official_sql(self.data_dir, number)).fetchall()

    def rows(self, result):
        return [tuple(row) for row in result]

    def close(self):
        self.connection.close()


class PolarsEngine:
    name = "polars"

    def __init__(self, data_dir, tables):
        import polars as pl
        import yardstick_polars
        self.tables = {table: pl.read_parquet(data_dir / (table + ".parquet")) for table in tables}
        self.kind = package_kinds().kind_named("polars")
        self.yardsticks = yardstick_polars

    def run_brell(self, target, program):
        return self.kind.execute(program, self.tables)

    def run_yardstick(self, number):
        return _call_with_its_tables(getattr(self.yardsticks, f"q{number:02}"), self.tables)

    def rows(self, result):
        return result.rows()

    def close(self):
        pass


class PandasEngine:
    """The tables are read by DuckDB and handed over as pandas DataFrames (the engines' Python
    has no pyarrow to read Parquet with), dates as datetime64[ns], as the engine cases hold
    them."""

    name = "pandas"

    def __init__(self, data_dir, tables):
        import duckdb
        import pandas as pd
        import yardstick_pandas
        self.pd = pd
        self.tables = {}
        for table in tables:
            frame = duckdb.sql(f"SELECT * FROM '{data_dir / (table + '.parquet')}'").df()
            for column in frame.columns:
                if frame[column].dtype.kind == "M":
                    frame[column] = frame[column].astype("datetime64[ns]")
            self.tables[table] = frame
        self.kind = package_kinds().kind_named("pandas")
        self.yardsticks = yardstick_pandas

    def run_brell(self, target, program):
        return self.kind.execute(program, self.tables)

    def run_yardstick(self, number):
        return _call_with_its_tables(getattr(self.yardsticks, f"q{number:02}"), self.tables)

    def rows(self, result):
        return self.kind.names_and_rows(result)[1]

    def close(self):
        pass


class SparkEngine:
    """Spark in local mode, one session for the whole run; the tables read from Parquet by
    Spark itself and cached in memory. The yardstick is DuckDB's official SQL, which Spark SQL
    reads as it is."""

    name = "spark"
    session = None

    def __init__(self, data_dir, tables):
        from pyspark.sql import SparkSession
        if SparkEngine.session is None:
            SparkEngine.session = (
                SparkSession.builder.master("local[2]").appName("brell-tpch")
                .config("spark.ui.enabled", "false")
                .config("spark.ui.showConsoleProgress", "false")
                .config("spark.sql.shuffle.partitions", "4")
                .config("spark.driver.memory", "6g")
                .config("spark.sql.session.timeZone", "UTC")
                .getOrCreate())
            SparkEngine.session.sparkContext.setLogLevel("ERROR")
        self.spark = SparkEngine.session
        self.data_dir = data_dir
        self.tables = {}
        for table in tables:
            frame = self.spark.read.parquet(str(data_dir / (table + ".parquet"))).cache()
            frame.count()
            frame.createOrReplaceTempView(table)
            self.tables[table] = frame
        self.kind = package_kinds().kind_named("spark")

    def run_brell(self, target, program):
        if target == "spark":
            return self.spark.sql(program).collect()
        return self.kind.execute(program, self.tables).collect()

    def run_yardstick(self, number):
        return self.spark.sql(official_sql(self.data_dir, number).rstrip().rstrip(";")).collect()

    def rows(self, result):
        return [tuple(row) for row in result]

    def close(self):
        for frame in self.tables.values():
            frame.unpersist()


def _call_with_its_tables(yardstick, tables):
    """The yardstick called with the tables it names."""
    return yardstick(**{name: tables[name] for name in inspect.signature(yardstick).parameters})


def open_engine(name, data_dir, tables):
    engine = {"duckdb": DuckDBEngine, "polars": PolarsEngine, "pandas": PandasEngine,
              "spark": SparkEngine}[name]
    return engine(pathlib.Path(data_dir), tables)


def stop_spark():
    if SparkEngine.session is not None:
        SparkEngine.session.stop()
        SparkEngine.session = None


__all__ = ["ENGINES", "TARGETS", "open_engine", "stop_spark"]
