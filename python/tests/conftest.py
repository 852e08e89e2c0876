"""What the package's tests share: the command-line program to compare with, and frames."""

from __future__ import annotations

import os
from pathlib import Path

import pytest

SOURCE_TREE = Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session")
def brell_executable() -> str:
    """The `brell` program built from the same tree; the tests fail without it."""
    path = Path(os.environ.get("BRELL_EXECUTABLE", SOURCE_TREE / "build" / "brell"))
    if not path.is_file():
        pytest.fail(f"no brell program at {path}: build it, or set BRELL_EXECUTABLE")
    return str(path)


def rows_of(frame) -> list[tuple]:
    """A pandas or polars frame's rows as tuples, every missing value as None."""
    if type(frame).__module__.startswith("polars"):
        return [tuple(row) for row in frame.rows()]
    import pandas as pd

    return [
        tuple(None if pd.isna(value) else value for value in row)
        for row in frame.itertuples(index=False, name=None)
    ]


@pytest.fixture(scope="session")
def shell():
    """IPython's test shell with `%load_ext brell`; it can be started once per process."""
    from IPython.testing.globalipapp import get_ipython

    ip = get_ipython()
    # The test shell is a terminal's, which shows only text; a notebook's kernel shows every
    # kind of output.
    ip.display_formatter.active_types = list(ip.display_formatter.format_types)
    ip.run_line_magic("load_ext", "brell")
    return ip


QUIET_SPARK_LOGGING = """\
rootLogger.level = error
rootLogger.appenderRef.stderr.ref = console
appender.console.type = Console
appender.console.name = console
appender.console.target = SYSTEM_ERR
appender.console.layout.type = PatternLayout
appender.console.layout.pattern = %p %c: %m%n
"""


@pytest.fixture(scope="session")
def spark(tmp_path_factory):
    """One local Spark session for the whole run, in UTC; the tests fail when it cannot start."""
    from pyspark.sql import SparkSession

    settings = tmp_path_factory.mktemp("spark-settings")
    (settings / "log4j2.properties").write_text(QUIET_SPARK_LOGGING)
    os.environ["SPARK_CONF_DIR"] = str(settings)
    session = (SparkSession.builder.master("local[2]").appName("brell-python-tests")
               .config("spark.sql.shuffle.partitions", "2")
               .config("spark.ui.enabled", "false")
               .config("spark.ui.showConsoleProgress", "false")
               .config("spark.sql.session.timeZone", "UTC")
               .config("spark.driver.extraJavaOptions", "-Duser.timezone=UTC")
               .config("spark.sql.warehouse.dir", str(settings / "warehouse"))
               .getOrCreate())
    yield session
    session.stop()
