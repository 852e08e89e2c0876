"""The tables a document's sentence is checked against: those of the nearest brell.toml, in the
document's folder or the nearest folder above it, read again whenever the file changes. A file
that cannot be read is kept as a problem with its place, reported on the file itself, and its
documents are checked for their words alone until it is mended."""

from __future__ import annotations

import os
import re
from dataclasses import dataclass
from pathlib import Path
from typing import Dict, NamedTuple, Optional, Tuple

from .. import _api, _project


class Problem(NamedTuple):
    message: str
    line: int  # counted from 0, as the protocol counts
    column: int


@dataclass(frozen=True, eq=False)
class Project:
    """One reading of a project file; the same reading is handed out until the file changes, so
    answers can be kept under it."""

    path: Optional[Path]  # None when no folder up to the root has a brell.toml
    tables: Dict[str, object]  # name -> the compiler's column list; empty with a problem
    problem: Optional[Problem]


_TOML_PLACE = re.compile(r"\s*\(at line (\d+), column (\d+)\)")
_NAMED = re.compile(r"^[^`]*?`([^`]+)`")


def nearest(folder: Path) -> Optional[Path]:
    for candidate in (folder, *folder.parents):
        path = candidate / _project.FILE_NAME
        if path.is_file():
            return path
    return None


def _problem(error: Exception, path: Path) -> Problem:
    """The message without the path in front (the editor shows it on the file), and its place:
    TOML's own line and column, or the line of the table or key the message names."""
    message = str(error)
    prefix = f"{path}: "
    if message.startswith(prefix):
        message = message[len(prefix) :]
    place = _TOML_PLACE.search(message)
    if place:
        return Problem(
            _TOML_PLACE.sub("", message), int(place.group(1)) - 1, int(place.group(2)) - 1
        )
    named = _NAMED.match(message)
    if named:
        try:
            lines = path.read_text(encoding="utf-8").splitlines()
        except (OSError, UnicodeDecodeError):
            lines = []
        key = re.compile(r"\s*\[?\s*" + re.escape(named.group(1)) + r"\b")
        for number, line in enumerate(lines):
            if key.match(line):
                return Problem(message, number, 0)
    return Problem(message, 0, 0)


_NO_PROJECT = Project(None, {}, None)
_read: Dict[Path, Tuple[Tuple[int, int], Project]] = {}


def project_for(document: Optional[Path]) -> Project:
    """The project of a document (a file's path, or None for an unsaved one: the current
    folder's)."""
    folder = document.parent if document is not None else Path(os.getcwd())
    path = nearest(folder)
    if path is None:
        return _NO_PROJECT
    try:
        status = path.stat()
    except OSError as error:
        return Project(path, {}, Problem(str(error), 0, 0))
    stamp = (status.st_mtime_ns, status.st_size)
    kept = _read.get(path)
    if kept is not None and kept[0] == stamp:
        return kept[1]
    try:
        described = _project.read(str(path))
        tables = {name: _api._column_list(columns, name) for name, columns in described.items()}
        project = Project(path, tables, None)
    except (ValueError, RuntimeError, OSError, UnicodeDecodeError) as error:
        project = Project(path, {}, _problem(error, path))
    _read[path] = (stamp, project)
    return project
