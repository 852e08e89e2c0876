"""Runs each program of the injection check on a fresh DuckDB table `t` with one text column of
the crafted name, holding two rows: the crafted text and another. Reads the jobs as JSON on
standard input; writes, per job, the result's column names and rows (or the error) as JSON.
Run by the engines' Python (the one with duckdb); exits 77 when duckdb cannot be imported."""

import json
import sys

try:
    import duckdb
except ImportError:
    sys.exit(77)


def quote_name(name):
    return '"' + name.replace('"', '""') + '"'


answers = []
for job in json.load(sys.stdin):
    connection = duckdb.connect(":memory:")
    try:
        connection.execute(f"CREATE TABLE t({quote_name(job['name'])} VARCHAR)")
        connection.execute("INSERT INTO t VALUES (?), ('other')", [job["text"]])
        result = connection.execute(job["program"])
        answers.append({"columns": [column[0] for column in result.description],
                        "rows": [list(row) for row in result.fetchall()]})
    except duckdb.Error as error:
        answers.append({"error": str(error)})
    finally:
        connection.close()
json.dump(answers, sys.stdout)
