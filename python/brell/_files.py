"""Tables kept in files: CSV, Parquet and JSON, read by DuckDB's readers (the format chosen by
the file's extension), their columns described as brell's type words, and a result written back
to a CSV or Parquet file."""

from __future__ import annotations

import os
from pathlib import Path
from typing import Any, Mapping, Optional

from ._column_types import duckdb_type_word
from ._imports import optional_module

# Each extension and the DuckDB reader of its format; the order is the order of the search for
# a table no path was given for.
READERS = {
    ".parquet": "read_parquet",
    ".csv": "read_csv",
    ".json": "read_json",
}
WRITERS = {".csv": "write_csv", ".parquet": "write_parquet"}


class FileProblem(Exception):
    """A table's file cannot be found or read, or a result cannot be written: the message says
    which file and why."""


def duckdb_module() -> Any:
    return optional_module("duckdb", "duckdb", "reading and writing files")


def new_connection() -> Any:
    """An in-memory DuckDB connection that prints no progress bar of its own."""
    connection = duckdb_module().connect()
    connection.execute("SET enable_progress_bar = false")
    return connection


def table_path(name: str, given: Mapping[str, str], folder: Path) -> Path:
    """The file of the table: the path given for it, or else NAME.parquet, NAME.csv or
    NAME.json in the folder, the first that is there."""
    if name in given:
        return Path(given[name])
    looked_at = [folder / f"{name}{extension}" for extension in READERS]
    for path in looked_at:
        if path.is_file():
            return path
    raise FileProblem(
        f"the sentence reads `{name}`, which no --table names, and there is no "
        + ", ".join(str(path) for path in looked_at[:-1])
        + f" or {looked_at[-1]}"
    )


def read_file(connection: Any, path: Path) -> Any:
    """The file as a relation of the connection; its columns and their types are DuckDB's
    reading of it."""
    reader = READERS.get(path.suffix.lower())
    if reader is None:
        raise FileProblem(
            f"{path}: brell reads tables from "
            + ", ".join(extension for extension in READERS)
            + f" files, and cannot tell the format of a `{path.suffix or 'name without an extension'}` file"
        )
    if not path.is_file():
        reason = "it is a folder" if path.is_dir() else "there is no such file"
        raise FileProblem(f"{path}: cannot be read: {reason}")
    if not os.access(path, os.R_OK):
        raise FileProblem(f"{path}: cannot be read: permission denied")
    duckdb = duckdb_module()
    try:
        return getattr(connection, reader)(str(path))
    except duckdb.Error as error:
        raise FileProblem(f"{path}: cannot be read as {path.suffix[1:]}: {first_line(error)}") from None


def first_line(error: BaseException) -> str:
    return str(error).strip().splitlines()[0] if str(error).strip() else type(error).__name__


def file_columns(
    relation: Any, table: str, path: Path, leave_out_unsupported: bool
) -> tuple[dict[str, str], list[str]]:
    """The file's columns as type words, and the names of those left out (a type brell has no
    word for, left out when asked to, else refused)."""
    types: dict[str, str] = {}
    left_out = []
    for column, duckdb_type in zip(relation.columns, relation.types):
        try:
            types[column] = duckdb_type_word(table, column, duckdb_type)
        except TypeError:
            if not leave_out_unsupported:
                raise FileProblem(
                    f"{path}: column `{column}` of table `{table}` is read as {duckdb_type}, "
                    "which brell has no type for; convert it in the file, or leave such "
                    "columns out with --leave-out-unsupported"
                ) from None
            left_out.append(column)
    if not types:
        raise FileProblem(f"{path}: table `{table}` has no column brell can read")
    return types, left_out


def kept_columns(relation: Any, columns: Mapping[str, str]) -> Any:
    """The relation with only these columns, when it has others."""
    if list(columns) == list(relation.columns):
        return relation
    return relation.select(*(duckdb_module().ColumnExpression(name) for name in columns))


def columns_list(table: str, columns: Mapping[str, str], path: Path) -> str:
    """The `--columns` list the command line takes for the table: `sales=day:date,...`."""
    unwritable = [name for name in columns if any(mark in name for mark in ",:=") or name != name.strip()]
    if unwritable:
        raise FileProblem(
            f"{path}: column `{unwritable[0]}` cannot be written in a --columns list, "
            "whose names hold no `,`, `:` or `=` and start and end with no space"
        )
    return f"{table}=" + ",".join(f"{name}:{word}" for name, word in columns.items())


def describe(path: Path, leave_out_unsupported: bool = False) -> str:
    """The file's `--columns` list, named after the file (`data/sales.csv` gives `sales=...`)."""
    connection = new_connection()
    relation = read_file(connection, path)
    columns, _ = file_columns(relation, path.stem, path, leave_out_unsupported)
    return columns_list(path.stem, columns, path)


def output_writer(path: Path) -> str:
    """The name of the relation's method that writes the file's format."""
    writer = WRITERS.get(path.suffix.lower())
    if writer is None:
        raise FileProblem(f"{path}: brell writes results to .csv and .parquet files")
    return writer


def write_relation(relation: Any, path: Path) -> None:
    """Writes the relation to the file whole, or leaves nothing there: it is written beside it
    under another name first, then moved into place."""
    writer = output_writer(path)
    partial = path.with_name(f".{path.name}.partial")
    try:
        getattr(relation, writer)(str(partial))
        os.replace(partial, path)
    except (OSError, duckdb_module().Error) as error:
        raise FileProblem(f"{path}: cannot be written: {first_line(error)}") from None
    finally:
        if partial.exists():
            partial.unlink()
