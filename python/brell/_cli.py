"""The command `python -m brell` (and `brell-run`): runs a sentence on tables kept in files and
prints the rows, or describes files as the `--columns` lists the `brell` command line takes.

    python -m brell run 'sales then summarize [t] as total([units]) by [store]' --table sales=data/sales.csv
    python -m brell describe data/sales.csv data/stores.parquet

Exit status: 0 when it ran, 2 when the compiler refused the sentence (drawn on standard error as
`brell` draws it), 1 for anything else that stopped it (a wrong argument, a file that cannot be
read or written, an engine that failed), with nothing written.
"""

from __future__ import annotations

import argparse
import shutil
import sys
import warnings
from pathlib import Path
from typing import Any, Optional, Sequence

from . import _files
from ._api import Note, Refusal, compile as compile_sentence, needs
from ._engines import Kind, kind_named
from ._imports import optional_module
from ._progress import Progress
from ._run import run as run_on_tables

ENGINES = ("duckdb", "polars", "pandas", "spark")

# The lines a screen shows besides the rows: names, types, rule, count, the prompt after.
LINES_BESIDE_ROWS = 5


class UsageError(Exception):
    """A wrong argument: said on standard error with the usage, exit status 1."""


class _Parser(argparse.ArgumentParser):
    def error(self, message: str) -> None:  # type: ignore[override]
        raise UsageError(message)


def _parser() -> _Parser:
    parser = _Parser(
        prog="python -m brell",
        description="Run a brell sentence on tables kept in CSV, Parquet or JSON files, or "
        "describe files as `brell --columns` lists.",
    )
    commands = parser.add_subparsers(dest="command", required=True, parser_class=_Parser)
    run = commands.add_parser(
        "run", help="run a sentence on files and print the rows it makes",
        description="Runs the sentence on tables kept in files (by extension: .csv, .parquet, "
        ".json) and prints the rows, or writes them with --output. A table the sentence reads "
        "that no --table names is NAME.parquet, NAME.csv or NAME.json in the current folder.",
    )
    run.add_argument("sentence")
    run.add_argument("--table", action="append", default=[], metavar="NAME=PATH",
                     help="the file a table of the sentence is kept in (repeatable)")
    run.add_argument("--engine", choices=ENGINES, default="duckdb",
                     help="what runs the program: DuckDB in process (the default), polars, "
                     "pandas or Spark")
    run.add_argument("--spark-master", metavar="URL",
                     help="the Spark master for --engine spark (default: local[*])")
    run.add_argument("--output", metavar="PATH",
                     help="write the rows to this .csv or .parquet file instead of printing them")
    run.add_argument("--all", action="store_true", help="print every row, not a screenful")
    run.add_argument("--leave-out-unsupported", action="store_true",
                     help="leave out the columns of a type brell has no word for, rather than "
                     "refuse the file")
    describe = commands.add_parser(
        "describe", help="print each file's columns as a `brell --columns` list",
        description="Prints, for each file, the `--columns` list the brell command line takes "
        "for it, named after the file: `sales=day:date,store:text,...`.",
    )
    describe.add_argument("files", nargs="+", metavar="FILE")
    describe.add_argument("--leave-out-unsupported", action="store_true",
                          help="leave out the columns of a type brell has no word for")
    return parser


def _named_paths(tables: Sequence[str]) -> dict[str, str]:
    paths: dict[str, str] = {}
    for given in tables:
        name, equals, path = given.partition("=")
        if not equals or not name.strip() or not path:
            raise UsageError(f"--table takes NAME=PATH, like sales=data/sales.csv, not `{given}`")
        if name.strip() in paths:
            raise UsageError(f"--table names `{name.strip()}` twice")
        paths[name.strip()] = path
    return paths


def _spark_session(master: Optional[str]) -> Any:
    """The session the spark engine runs on: the one running in this process already, or a
    new one on the master (local[*] by default). Spark's own notes while it starts still go to
    standard error; once it runs, only its errors do."""
    optional_module("pyspark", "pyspark", "the spark engine")
    from pyspark.sql import SparkSession

    session = (SparkSession.builder.master(master or "local[*]").appName("brell")
               .config("spark.ui.showConsoleProgress", "false")
               .config("spark.ui.enabled", "false")
               .getOrCreate())
    session.sparkContext.setLogLevel("ERROR")
    return session


def _engine_module(engine: str) -> None:
    """Imports what the engine needs, or says which package to install."""
    if engine in ("pandas", "polars"):
        optional_module(engine, engine, f"the {engine} engine")
    if engine == "polars":
        optional_module("pyarrow", "pyarrow", "handing files to the polars engine")


def _result_types(kind: Kind, result: Any, names: Sequence[str]) -> list[str]:
    try:
        types = kind.column_types(result, "the result")
    except TypeError:
        return ["?"] * len(names)
    return [types.get(name, "?") for name in names]


def _shown_rows(show_all: bool) -> int:
    if show_all:
        return sys.maxsize
    return max(shutil.get_terminal_size().lines - LINES_BESIDE_ROWS, 10)


def _print_warnings(caught: Sequence[warnings.WarningMessage]) -> None:
    """The checker's notes as the command line prints them; any other warning as Python does."""
    for warning in caught:
        if issubclass(warning.category, Note):
            print(str(warning.message), file=sys.stderr)
        else:
            warnings.showwarning(warning.message, warning.category, warning.filename,
                                 warning.lineno)


def _read_tables(
    names: Sequence[str], given: dict[str, str], leave_out_unsupported: bool, connection: Any,
    progress: Progress,
) -> tuple[dict[str, Any], dict[str, dict[str, str]]]:
    """Each table the sentence reads, as a relation of the connection over its file, and its
    columns as type words. DuckDB reads only enough of each file here to know its columns."""
    relations, described = {}, {}
    for name in names:
        path = _files.table_path(name, given, Path.cwd())
        progress.now(f"reading {path}")
        relation = _files.read_file(connection, path)
        columns, _ = _files.file_columns(relation, name, path, leave_out_unsupported)
        relations[name] = _files.kept_columns(relation, columns)
        described[name] = columns
    return relations, described


def _run(options: argparse.Namespace) -> int:
    from ._table_text import table_text

    sentence = options.sentence
    output = Path(options.output) if options.output else None
    if output is not None:
        _files.output_writer(output)  # an unknown format is refused before any work
    given = _named_paths(options.table)
    names = needs(sentence)
    kind = kind_named(options.engine)
    _engine_module(options.engine)
    connection = _files.new_connection()
    with Progress() as progress, warnings.catch_warnings(record=True) as caught:
        relations, described = _read_tables(
            names, given, options.leave_out_unsupported, connection, progress)
        # The sentence is checked before any engine starts or any file is read whole; its
        # notes are kept from the run itself.
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", Note)
            compile_sentence(sentence, described[names[0]], kind.backend,
                             {name: described[name] for name in names[1:]})
        session = None
        if options.engine == "spark":
            progress.now("starting Spark")
            session = _spark_session(options.spark_master)
        tables = {}
        for name in names:
            progress.now(f"handing `{name}` to {options.engine}")
            tables[name] = kind.from_relation(relations[name], session)
        progress.now(f"running on {options.engine}")
        warnings.simplefilter("always", Note)
        result = run_on_tables(sentence, tables=tables)
        if output is not None:
            progress.now(f"writing {output}")
            _files.write_relation(kind.to_relation(result, connection), output)
        else:
            progress.now("reading the rows")
            columns, rows = kind.names_and_rows(result)
            types = _result_types(kind, result, columns)
    # Once the progress line is wiped: the notes, then the rows.
    _print_warnings(caught)
    if output is None:
        sys.stdout.write(table_text(columns, types, rows, _shown_rows(options.all)))
    return 0


def _describe(options: argparse.Namespace) -> int:
    lists = [_files.describe(Path(path), options.leave_out_unsupported) for path in options.files]
    sys.stdout.write("".join(line + "\n" for line in lists))
    return 0


def main(arguments: Optional[Sequence[str]] = None) -> int:
    """Runs the command with these arguments (the process's own when None); the exit status."""
    parser = _parser()
    try:
        options = parser.parse_args(arguments)
        return _run(options) if options.command == "run" else _describe(options)
    except Refusal as refusal:
        print(str(refusal), file=sys.stderr)
        return 2
    except UsageError as error:
        print(f"brell: {error}\n", file=sys.stderr)
        parser.print_usage(sys.stderr)
        return 1
    except (_files.FileProblem, ImportError, TypeError, ValueError) as problem:
        print(f"brell: {problem}", file=sys.stderr)
        return 1
    except Exception as failure:  # the engine failed while it ran the program
        print(f"brell: the engine failed: {type(failure).__name__}: "
              f"{_files.first_line(failure)}", file=sys.stderr)
        return 1


def run_command() -> int:
    """The console command `brell-run`: `python -m brell run`."""
    return main(["run", *sys.argv[1:]])
