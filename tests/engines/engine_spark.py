"""Spark: one local session for the whole run, for the `spark` target (the SQL text through
`spark.sql`) and the `pyspark` target (the program evaluated with `spark`, `F` and `Window`).

Each case's tables are made as DataFrames with an explicit schema (LongType for whole numbers,
DoubleType for others, StringType, BooleanType, DateType, TimestampType) and bound as temporary
views, which both `spark.sql` and `spark.table` read. The session and this process run in UTC.
"""

import ast
import decimal
import json
import math
import os
import tempfile
import time

from engine_tables import EngineFailed, EngineMissing, typed_columns

QUIET_LOGGING = """\
rootLogger.level = fatal
rootLogger.appenderRef.stderr.ref = console
appender.console.type = Console
appender.console.name = console
appender.console.target = SYSTEM_ERR
appender.console.layout.type = PatternLayout
appender.console.layout.pattern = %p %c: %m%n
"""


def plain(value):
    if isinstance(value, decimal.Decimal):
        return float(value)
    if isinstance(value, float) and math.isnan(value):
        return None
    return value


class Engine:
    name = "spark"
    targets = ("spark", "pyspark")
    leniency = None

    def __init__(self):
        os.environ["TZ"] = "UTC"
        time.tzset()
        try:
            import pyspark
            from pyspark.sql import SparkSession, Window
            from pyspark.sql import functions as F
            from pyspark.sql import types as T
        except ImportError as error:
            raise EngineMissing(f"pyspark cannot be imported ({error})")
        # Spark reads its logging settings from the folder SPARK_CONF_DIR names.
        self.settings = tempfile.TemporaryDirectory(prefix="brell-spark-")
        with open(os.path.join(self.settings.name, "log4j2.properties"), "w") as handle:
            handle.write(QUIET_LOGGING)
        os.environ["SPARK_CONF_DIR"] = self.settings.name
        java_options = "-Duser.timezone=UTC"
        try:
            self.spark = (SparkSession.builder.master("local[2]").appName("brell-engine-cases")
                          .config("spark.sql.shuffle.partitions", "2")
                          .config("spark.default.parallelism", "2")
                          .config("spark.ui.enabled", "false")
                          .config("spark.ui.showConsoleProgress", "false")
                          .config("spark.sql.session.timeZone", "UTC")
                          .config("spark.driver.extraJavaOptions", java_options)
                          .config("spark.sql.warehouse.dir",
                                  os.path.join(self.settings.name, "warehouse"))
                          .getOrCreate())
        except Exception as error:  # no Java, or Spark would not start
            raise EngineMissing(f"a local Spark session would not start ({error})")
        self.spark.sparkContext.setLogLevel("FATAL")
        self.F, self.T, self.Window = F, T, Window
        self.frames = {}
        self.version = pyspark.__version__

    def frame(self, header, rows):
        """The table as a DataFrame; the cases of a file share their tables, so each is made once."""
        key = json.dumps([header, rows])
        if key not in self.frames:
            self.frames[key] = self.make_frame(header, rows)
        return self.frames[key]

    def make_frame(self, header, rows):
        T = self.T
        kinds = {"text": T.StringType(), "truth": T.BooleanType(), "date": T.DateType(),
                 "timestamp": T.TimestampType()}
        columns = typed_columns(header, rows)
        schema = T.StructType([
            T.StructField(name, (T.LongType() if whole else T.DoubleType())
                          if kind == "number" else kinds[kind], True)
            for name, kind, whole, _ in columns])
        data = [list(cells) for cells in zip(*(values for *_, values in columns))]
        return self.spark.createDataFrame(data, schema)

    def run(self, target, program, tables):
        for name, (header, rows) in tables.items():
            if "." in name:  # a table in a database: stored, as a view cannot be
                database = name.split(".")[0]
                self.spark.sql(f"CREATE DATABASE IF NOT EXISTS `{database}`")
                self.frame(header, rows).write.mode("overwrite").saveAsTable(name)
            else:
                self.frame(header, rows).createOrReplaceTempView(name)
        try:
            if target == "spark":
                frame = self.spark.sql(program.strip().rstrip(";"))
            else:
                try:
                    tree = ast.parse(program, mode="eval")
                except SyntaxError as error:
                    raise EngineFailed(f"the program is not one Python expression: {error}")
                namespace = {"spark": self.spark, "F": self.F, "Window": self.Window}
                frame = eval(compile(tree, "<brell>", "eval"), namespace)
            names = frame.columns
            rows = [[plain(value) for value in row] for row in frame.collect()]
            return names, rows
        except EngineFailed:
            raise
        except Exception as error:  # the program failing is what the case reports
            message = str(error).strip().split("\n")
            raise EngineFailed(f"{type(error).__name__}: " + "\n".join(message[:6]))
        finally:
            for name in tables:
                if "." in name:
                    self.spark.sql(f"DROP TABLE IF EXISTS {name}")
                else:
                    self.spark.catalog.dropTempView(name)

    def close(self):
        self.spark.stop()
        self.settings.cleanup()
