"""What may stand where the cursor is: a verb after `then`; in a step, its keywords, the functions
its seat allows (from the seat table) and the columns of the table the step starts from, each
with its type; a table's name where a table is named."""

from __future__ import annotations

from typing import List

from lsprotocol import types

from . import scan, steps
from .tables import Project
from .words import words

_TABLE_AFTER = {"join", "add_rows", "matching"}


def _column_items(columns: steps.Columns, bracketed: bool) -> List[types.CompletionItem]:
    return [
        types.CompletionItem(
            label=name,
            kind=types.CompletionItemKind.Field,
            detail=type_word or "a type brell has no opinion about",
            insert_text=name if bracketed else f"[{name}]",
            filter_text=name if bracketed else f"[{name}]",
            sort_text=f"0{index:04}",
        )
        for index, (name, type_word) in enumerate(columns)
    ]


def _table_items(project: Project) -> List[types.CompletionItem]:
    return [
        types.CompletionItem(label=name, kind=types.CompletionItemKind.Class, detail="table")
        for name in project.tables
    ]


def _function_items(kinds) -> List[types.CompletionItem]:
    known = words()
    return [
        types.CompletionItem(
            label=name,
            kind=types.CompletionItemKind.Function,
            detail=kind,
            documentation=known.meanings.get(name),
            sort_text=f"2{name}",
        )
        for name, kind in known.functions.items()
        if kind in kinds
    ]


def _keyword_items(keywords) -> List[types.CompletionItem]:
    return [
        types.CompletionItem(
            label=word, kind=types.CompletionItemKind.Keyword, sort_text=f"1{word}"
        )
        for word in keywords
    ]


def _seat_kinds(place: scan.Place, step_words: List[scan.Token]) -> tuple:
    """The kinds of function that may stand at the cursor, by the seat its step gives it."""
    known = words()
    seat_and_word = known.seats.get(place.verb or "")
    if seat_and_word is None:
        return ()
    seat, after = seat_and_word
    if after is not None and after not in (token.text for token in step_words):
        return ()
    kinds = known.allowed.get(seat, ())
    depth = sum(1 if token.text == "(" else -1 if token.text == ")" else 0 for token in step_words)
    if depth > 0 and "scalar" not in kinds:
        # Inside an aggregate's parentheses, a scalar value stands in its argument.
        kinds = (*kinds, "scalar")
    return kinds


def complete(text: str, offset: int, project: Project) -> List[types.CompletionItem]:
    place = scan.place_at(text, offset)
    if place.in_text:
        return []
    if place.in_bracket:
        columns = steps.columns_entering(text, place, project)
        return _column_items(columns or [], bracketed=True)
    known = words()
    if place.verb is None:
        if place.then_start is None:
            return _table_items(project)
        return [
            types.CompletionItem(
                label=verb,
                kind=types.CompletionItemKind.Method,
                detail="verb",
                documentation=details.summary or None,
            )
            for verb, details in known.verbs.items()
        ]
    step_words = [
        token
        for token in scan.tokens(text[place.step_start : offset - len(place.prefix)])
        if token.kind != "comment"
    ]
    if (
        place.before is not None
        and place.before.text in _TABLE_AFTER | {"("}
        and (
            place.before.text != "(" or (len(step_words) > 1 and step_words[-2].text == "matching")
        )
    ):
        return _table_items(project)
    verb = known.verbs.get(place.verb)
    items = _keyword_items(("then", *(verb.keywords if verb else ())))
    items += _function_items(_seat_kinds(place, step_words))
    items += _column_items(steps.columns_entering(text, place, project) or [], bracketed=False)
    return items
