"""Makes the TPC-H tables at a scale factor with DuckDB's TPC-H extension and writes them to
Parquet, with the extension's official queries and their answers beside them:

    DIR/lineitem.parquet, ...     the eight tables
    DIR/official/q01.sql, ...     DuckDB's own SQL for each query (tpch_queries())
    DIR/answers/q01.csv, ...      the rows each query must give, `|`-separated under a header
    DIR/made                      written last: the folder is whole

Runs under the Python of bench/tpch/setup.sh (DuckDB 1.5.5 and its extension's package), and
loads the extension from the file the package ships, so no network is needed. The extension holds
answers for the scale factors 0.01, 0.1 and 1; for any other, the answers are what its official
queries give on the same data.

The money columns, DECIMAL(15,2) in the extension's tables, are written as DOUBLE and the
integers as BIGINT: what a pandas or polars user holds, and what every engine reads alike.

    python make_data.py --scale 0.01 --out DIR
"""

import argparse
import os
import pathlib
import shutil

import duckdb
import duckdb_extension_tpch

TABLES = ("region", "nation", "supplier", "customer", "part", "partsupp", "orders", "lineitem")


def extension_file():
    folder = pathlib.Path(duckdb_extension_tpch.__file__).parent / "extensions"
    (found,) = folder.glob(f"v{duckdb.__version__}/tpch.duckdb_extension")
    return found


def plain_types(connection, table):
    """The table's columns with DECIMAL read as DOUBLE and every integer as BIGINT."""
    columns = connection.execute(
        "SELECT column_name, data_type FROM information_schema.columns "
        "WHERE table_name = ? ORDER BY ordinal_position", [table]).fetchall()
    casts = []
    for name, data_type in columns:
        if data_type.startswith("DECIMAL"):
            casts.append(f"CAST({name} AS DOUBLE) AS {name}")
        elif data_type in ("INTEGER", "SMALLINT", "TINYINT"):
            casts.append(f"CAST({name} AS BIGINT) AS {name}")
        else:
            casts.append(name)
    return ", ".join(casts)


def answer_text(connection, sql):
    """The rows a query gives, written as the extension writes its answers."""
    result = connection.execute(sql)
    lines = ["|".join(column[0] for column in result.description)]
    lines += ["|".join("" if value is None else str(value) for value in row)
              for row in result.fetchall()]
    return "".join(line + "\n" for line in lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--scale", type=float, required=True)
    parser.add_argument("--out", type=pathlib.Path, required=True)
    arguments = parser.parse_args()
    out = arguments.out
    if (out / "made").exists():
        return
    shutil.rmtree(out, ignore_errors=True)
    (out / "official").mkdir(parents=True)
    (out / "answers").mkdir()

    connection = duckdb.connect(":memory:")
    connection.execute(f"LOAD '{extension_file()}'")
    connection.execute(f"CALL dbgen(sf = {arguments.scale})")
    for table in TABLES:
        connection.execute(f"COPY (SELECT {plain_types(connection, table)} FROM {table}) "
                           f"TO '{out / (table + '.parquet')}' (FORMAT parquet)")

    answers = dict(connection.execute(
        "SELECT query_nr, answer FROM tpch_answers() WHERE scale_factor = ?",
        [arguments.scale]).fetchall())
    for number, sql in connection.execute("SELECT query_nr, query FROM tpch_queries()").fetchall():
        (out / "official" / f"q{number:02}.sql").write_text(sql)
        answer = answers.get(number)
        if answer is None:  # a scale factor the extension has no answers for
            answer = answer_text(connection, sql)
        (out / "answers" / f"q{number:02}.csv").write_text(answer)
    (out / "made").write_text(f"TPC-H at scale factor {arguments.scale}\n")


if __name__ == "__main__":
    main()
