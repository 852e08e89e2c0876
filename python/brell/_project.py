"""The project file: `brell.toml` in the current folder or the nearest folder above it, which
describes the tables once, as the command line reads it. Under `[tables]`, each table's name and
its columns, as `brell --columns` takes them:

    [tables]
    sales = "day:date,store:text,units:number"
    stores = "store:text,region:text"
"""

from __future__ import annotations

import os
from pathlib import Path
from typing import Dict, Optional

from . import _brell

try:
    import tomllib
except ModuleNotFoundError:  # Python 3.9 and 3.10 have no TOML reader of their own
    tomllib = None

FILE_NAME = "brell.toml"


def find() -> Optional[str]:
    """The nearest project file, written relative to the current folder ("brell.toml",
    "../brell.toml") as the command line writes it; None when no folder up to the root has one."""
    folder = Path(os.getcwd())
    up = ""
    while True:
        if (folder / FILE_NAME).is_file():
            return up + FILE_NAME
        if folder.parent == folder:
            return None
        folder = folder.parent
        up += "../"


def read(path: str) -> Dict[str, str]:
    """Every table the file describes, by name, as its column list. A file that is not TOML,
    holds anything but `[tables]`, or a list the column rules refuse raises ValueError naming the
    file; nothing in it is used."""
    if tomllib is None:
        raise RuntimeError(
            f"reading {path} needs Python 3.11 or later (tomllib); give the columns instead"
        )
    try:
        with open(path, "rb") as handle:
            document = tomllib.load(handle)
    except tomllib.TOMLDecodeError as error:
        raise ValueError(f"{path}: {error}") from None
    for key in document:
        if key != "tables":
            raise ValueError(
                f"{path}: `{key}` is not something this file describes; it holds one table, "
                "[tables], of column lists"
            )
    tables = document.get("tables")
    if not isinstance(tables, dict):
        raise ValueError(
            f"{path}: describes no tables; write them under [tables], like "
            'sales = "region:text,revenue:number"'
        )
    for table, columns in tables.items():
        if not isinstance(columns, str):
            raise ValueError(
                f"{path}: `{table}` should be a column list in quotes, like "
                f'{table} = "region:text,revenue:number"'
            )
        _read, problem = _brell.read_columns(columns)
        if problem is not None:
            raise ValueError(f"{path}: `{table}`: {problem}")
    return dict(tables)
