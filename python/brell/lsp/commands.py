"""The workspace commands: the sentence written in a target, and its drawing. Each answers with
the text to show, or the refusal drawn under the sentence, as the command line prints it."""

from __future__ import annotations

from .. import _brell
from .steps import source_of
from .tables import Project

SHOW = "brell.show"  # arguments: the document's URI, the target (sql by default)
DRAW = "brell.draw"  # arguments: the document's URI, the way ("text" by default, or "svg")


def _tables(text: str, project: Project):
    source = source_of(text)[0]
    head = project.tables.get(source)
    if head is None:
        return None
    return head, [(name, columns) for name, columns in project.tables.items() if name != source]


def _said(answer) -> str:
    result, refusal, _notes = answer
    return refusal[4] if refusal is not None else result


def show(text: str, project: Project, target: str) -> str:
    tables = _tables(text, project)
    if tables is None:
        return _no_table(text, project)
    return _said(_brell.compile(text, tables[0], tables[1], target))


def draw(text: str, project: Project, way: str) -> str:
    tables = _tables(text, project)
    if tables is None:
        return _no_table(text, project)
    return _said(_brell.draw(text, tables[0], tables[1], way))


def _no_table(text: str, project: Project) -> str:
    where = project.path if project.path is not None else "no brell.toml"
    return f"the table `{source_of(text)[0]}` is not described ({where})"
