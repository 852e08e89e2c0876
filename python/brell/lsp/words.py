"""What the language and the book say about each word, read once: the vocabulary (`--vocabulary`),
the seat table (`--seats`: which kinds of function may stand where), and book_words.tsv, which the
book writes from its reference pages (each verb's keywords and first sentence, each function's
one-line meaning)."""

from __future__ import annotations

import functools
from pathlib import Path
from typing import Dict, List, NamedTuple, Optional, Tuple

from .. import _brell


class Verb(NamedTuple):
    keywords: Tuple[str, ...]
    summary: str


class Words(NamedTuple):
    verbs: Dict[str, Verb]
    functions: Dict[str, str]  # name -> kind (scalar, aggregate, window)
    meanings: Dict[str, str]  # function -> its one-line meaning
    reserved: Tuple[str, ...]  # the words that are neither verbs nor functions
    # verb -> (seat, the word after which the seat begins, or None for anywhere in the step)
    seats: Dict[str, Tuple[str, Optional[str]]]
    allowed: Dict[str, Tuple[str, ...]]  # seat -> the kinds of function that may stand there
    notes: Dict[Tuple[str, str], str]  # (seat, kind) -> why a kind may not stand there


@functools.lru_cache(maxsize=1)
def words() -> Words:
    kinds: Dict[str, str] = {}
    verbs_in_order: List[str] = []
    reserved: List[str] = []
    for line in _brell.vocabulary().splitlines():
        kind, _, word = line.partition("\t")
        if kind == "verb":
            verbs_in_order.append(word)
        elif kind == "word":
            reserved.append(word)
        else:
            kinds[word] = kind
    verbs = {verb: Verb((), "") for verb in verbs_in_order}
    meanings: Dict[str, str] = {}
    book = Path(__file__).with_name("book_words.tsv").read_text(encoding="utf-8")
    for line in book.splitlines():
        fields = line.split("\t")
        if fields[0] == "verb" and fields[1] in verbs:
            verbs[fields[1]] = Verb(tuple(fields[2].split()), fields[3])
        elif fields[0] == "function":
            meanings[fields[1]] = fields[2]
    seats: Dict[str, Tuple[str, Optional[str]]] = {}
    allowed: Dict[str, List[str]] = {}
    notes: Dict[Tuple[str, str], str] = {}
    for line in _brell.seats().splitlines():
        seat, example, kind, verdict, note = line.split("\t")
        # "keep where ...", "widen ... value ...": the verb, and the word the seat follows.
        example_words = example.split()
        after = (
            example_words[-2]
            if len(example_words) > 2 and example_words[-2].isidentifier()
            else None
        )
        seats.setdefault(example_words[0], (seat, after))
        allowed.setdefault(seat, [])
        if verdict == "stands":
            allowed[seat].append(kind)
        elif note:
            notes[(seat, kind)] = note
    return Words(
        verbs,
        kinds,
        meanings,
        tuple(reserved),
        seats,
        {seat: tuple(kinds_allowed) for seat, kinds_allowed in allowed.items()},
        notes,
    )
