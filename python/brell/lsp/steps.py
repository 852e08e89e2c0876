"""The compiler's answer for a sentence against its project's tables: the refusal and the notes,
and the table at every step that checked. Answers are kept for the texts asked lately, since an
editor asks about the same text for diagnostics, completion and hover in turn."""

from __future__ import annotations

import functools
from typing import List, NamedTuple, Optional, Tuple

from .. import _brell
from . import scan
from .tables import Project

Columns = List[Tuple[str, str]]  # (name, type word; "" for a type brell has no opinion about)
# kind, message, first character, one past the last (None without a place), drawn
Message = Tuple[str, str, Optional[int], Optional[int], str]


class Step(NamedTuple):
    start: int
    end: int
    columns: Columns  # the table the step leaves


class Answer(NamedTuple):
    source: str  # the table the sentence starts from, as written ("" when there is none)
    source_span: Tuple[int, int]
    described: bool  # whether the project describes the source table
    source_columns: Columns
    steps: List[Step]
    refusal: Optional[Message]
    notes: List[Message]


def source_of(sentence: str) -> Tuple[str, int, int]:
    """The sentence's first table as written: its first word, with any `.word` after it."""
    words = [token for token in scan.tokens(sentence) if token.kind != "comment"]
    if not words or words[0].kind != "word":
        return "", 0, 0
    end = 1
    while (
        end + 1 < len(words)
        and words[end].text == "."
        and words[end].start == words[end - 1].end
        and words[end + 1].start == words[end].end
    ):
        end += 2
    return sentence[words[0].start : words[end - 1].end], words[0].start, words[end - 1].end


@functools.lru_cache(maxsize=64)
def _answer(sentence: str, project: Project) -> Answer:
    source, start, end = source_of(sentence)
    head = project.tables.get(source)
    if head is None:
        _text, refusal, _notes = _brell.needs(sentence)
        return Answer(source, (start, end), False, [], [], refusal, [])
    named = [(name, columns) for name, columns in project.tables.items() if name != source]
    source_columns, steps, refusal, notes = _brell.step_tables(sentence, head, named)
    return Answer(
        source,
        (start, end),
        True,
        source_columns,
        [Step(*step) for step in steps],
        refusal,
        notes,
    )


def answer(sentence: str, project: Project) -> Answer:
    return _answer(sentence, project)


def columns_entering(sentence: str, place: scan.Place, project: Project) -> Optional[Columns]:
    """The table the cursor's step starts from: the one the steps before it leave, checked as a
    sentence of their own. None when the cursor is at the source, or nothing is known."""
    if place.then_start is None:
        return None
    before = answer(sentence[: place.then_start], project)
    if not before.described:
        return None
    return before.steps[-1].columns if before.steps else before.source_columns
