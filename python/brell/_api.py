"""The compiler's jobs as Python functions: compile, draw, needs and the listings."""

from __future__ import annotations

import os
import warnings
from collections.abc import Mapping
from typing import NamedTuple, Optional, Tuple, Union

from . import _brell, _project
from ._drawing import Drawing, SvgDrawing, TextDrawing

Columns = Union[Mapping[str, str], str]
"""A table's columns: a mapping of column name to type word (`{"region": "text"}`), or the text
`brell --columns` takes (`"region:text,revenue:number"`). The type words are text, number,
truth, date and timestamp; any other word is a type brell has no opinion about."""

Tables = Optional[Mapping[str, Columns]]
"""The other tables a sentence reads (a `join`, an `add_rows`, a `matching(...)`), by name."""

Span = Tuple[int, int]


class Refusal(ValueError):
    """The compiler refused the sentence.

    Attributes:
        message: what is wrong, in words.
        kind: "illegal", or "not built yet" for what brell cannot write yet.
        span: (start, end) of the words it is about, as offsets into the sentence (a `str`:
            characters, not bytes), or None when it is about the sentence as a whole.
        sentence: the sentence refused.
        drawn: the message with the sentence's line and carets under the words, as the command
            line prints it; it is also the exception's `str()`.
    """

    def __init__(
        self, message: str, *, kind: str, span: Optional[Span], sentence: str, drawn: str
    ) -> None:
        super().__init__(message)
        self.message = message
        self.kind = kind
        self.span = span
        self.sentence = sentence
        self.drawn = drawn

    def __str__(self) -> str:
        return self.drawn

    def __reduce__(self):  # noqa: ANN204 - keeps the exception picklable
        return (
            _refusal_from,
            (self.message, self.kind, self.span, self.sentence, self.drawn),
        )


def _refusal_from(
    message: str, kind: str, span: Optional[Span], sentence: str, drawn: str
) -> Refusal:
    return Refusal(message, kind=kind, span=span, sentence=sentence, drawn=drawn)


class Note(UserWarning):
    """A remark of the checker on a sentence it accepted: an assumption it made that the writer
    of the sentence may want to say outright. Issued with `warnings.warn`; the compiled program
    is returned all the same. Its `str()` is the note drawn under the sentence; `message` and
    `span` hold its parts, as in `Refusal`.

    To turn notes into errors: `warnings.simplefilter("error", brell.Note)`; to hide them:
    `warnings.simplefilter("ignore", brell.Note)`.
    """

    def __init__(self, drawn: str, message: str = "", span: Optional[Span] = None) -> None:
        super().__init__(drawn)
        self.drawn = drawn
        self.message = message
        self.span = span

    def __str__(self) -> str:
        return self.drawn


class Word(NamedTuple):
    """One word of the language: its kind ("verb", a function's kind, or "word") and itself."""

    kind: str
    word: str


def _column_pairs(columns: Columns, table: str) -> list:
    where = "the columns" if not table else f"the columns of `{table}`"
    if not isinstance(columns, Mapping):
        raise TypeError(
            f"{where} must be a mapping of column name to type word, like "
            f'{{"region": "text"}}, or a text like "region:text", not {type(columns).__name__}'
        )
    pairs = []
    for name, type_word in columns.items():
        if not isinstance(name, str) or not isinstance(type_word, str):
            raise TypeError(
                f"{where} map names to type words, both str: got "
                f"{type(name).__name__} -> {type(type_word).__name__}"
            )
        if not name:
            raise ValueError(f"{where} hold a column with an empty name")
        pairs.append((name, type_word))
    if not pairs:
        raise ValueError(f"{where} are empty; a table needs at least one column")
    return pairs


# The column lists read lately, each under its description: the `--columns` text itself, or a
# mapping's (name, type word) pairs in order. The same description always reads as the same
# list, so a list is read once however often it is compiled against; the cache is emptied
# whenever it reaches its size, which only a program describing ever new tables reaches.
_column_lists: dict = {}
_COLUMN_LISTS_KEPT = 512


def _column_list(columns: Columns, table: str) -> "_brell.ColumnList":
    """The columns as the compiler takes them, read once for each description."""
    given = type(columns)
    if given is str:
        key: object = columns
    elif given is dict or isinstance(columns, Mapping):
        key = tuple(columns.items())
    else:
        key = None
    try:
        return _column_lists[key]
    except (KeyError, TypeError):  # not read yet, or a mapping holding what cannot be hashed
        pass
    if isinstance(columns, str):
        listed, problem = _brell.read_columns(columns)
        if problem is not None:
            raise ValueError(problem)
    else:
        listed = _brell.column_list(_column_pairs(columns, table))
    if key is not None:
        if len(_column_lists) >= _COLUMN_LISTS_KEPT:
            _column_lists.clear()
        try:
            _column_lists[key] = listed
        except TypeError:
            pass
    return listed


def _from_project_file(sentence: str, tables: Tables) -> tuple:
    """The columns of the sentence's first table and the other tables, from the nearest
    brell.toml; tables given by name replace the file's."""
    path = _project.find()
    if path is None:
        raise TypeError(
            f"no columns were given, and there is no {_project.FILE_NAME} in {os.getcwd()} or a "
            "folder above it to describe the tables"
        )
    described = _project.read(path)
    if tables is not None:
        if not isinstance(tables, Mapping):
            raise TypeError(
                "tables must be a mapping of table name to its columns, not "
                f"{type(tables).__name__}"
            )
        described.update(tables)
    source = needs(sentence)[0]
    if source not in described:
        raise ValueError(
            f"no table called `{source}` is described, and the sentence reads it. Describe it "
            f'in {path}, under [tables]: {source} = "name:type,..."'
        )
    head = described.pop(source)
    return head, described


def _described(sentence: str, columns: Optional[Columns], tables: Tables) -> tuple:
    if columns is None:
        columns, tables = _from_project_file(sentence, tables)
    head = _column_list(columns, "")
    named = []
    if tables is not None:
        if not isinstance(tables, Mapping):
            raise TypeError(
                "tables must be a mapping of table name to its columns, not "
                f"{type(tables).__name__}"
            )
        for name, described in tables.items():
            if not isinstance(name, str) or not name:
                raise TypeError("every table in tables needs a name, a non-empty str")
            named.append((name, _column_list(described, name)))
    return head, named


# The longest sentence, in bytes of UTF-8, that a message can point into.
_LONGEST_SENTENCE_BYTES = 2**32 - 1


def _checked_sentence(sentence: object) -> str:
    if not isinstance(sentence, str):
        raise TypeError(f"the sentence must be a str, not {type(sentence).__name__}")
    # A character takes at most four bytes, so only a long sentence needs encoding to be measured.
    if 4 * len(sentence) > _LONGEST_SENTENCE_BYTES and \
            len(sentence.encode("utf-8", "surrogatepass")) > _LONGEST_SENTENCE_BYTES:
        raise ValueError("the sentence is 4 GiB or longer, longer than a message can point into")
    # A sentence that starts with a printable ASCII character is not blank, whatever the
    # compiler counts as white space; only others are asked.
    if not ("!" <= sentence[:1] <= "~") and _brell.is_blank(sentence):
        raise ValueError("no sentence was given")
    return sentence


def _span(begin: Optional[int], end: Optional[int]) -> Optional[Span]:
    return None if begin is None or end is None else (begin, end)


def _answered(answer: tuple, sentence: str, stacklevel: int) -> str:
    """The answer's text; raises its refusal, and issues its notes as warnings."""
    text, refusal, notes = answer
    if refusal is not None:
        kind, message, begin, end, drawn = refusal
        raise Refusal(
            message, kind=kind, span=_span(begin, end), sentence=sentence, drawn=drawn
        )
    for _kind, message, begin, end, drawn in notes:
        warnings.warn(Note(drawn, message, _span(begin, end)), stacklevel=stacklevel + 1)
    return text


def compile(  # noqa: A001 - the name says what it does, as `brell --as` does
    sentence: str, columns: Optional[Columns] = None, to: str = "sql", tables: Tables = None
) -> str:
    """The sentence written out in another language: exactly what `brell --as TO` prints.

    Args:
        sentence: the pipeline, like 'sales then keep where [region] is "West" then take 10'.
        columns: the columns of the table the sentence starts from, as a mapping of name to type
            word ({"region": "text", "revenue": "number"}) or as `--columns` text
            ("region:text,revenue:number"). When not given, the tables are read from the
            nearest brell.toml (the current folder's, or the nearest folder's above it), as the
            command line reads them: the sentence's first table by its name, and the others.
        to: the backend, one of `backends()`: sql, spark, dplyr, pandas, polars, pyspark, brell.
        tables: the other tables the sentence reads, by name, each described like `columns`;
            with brell.toml, these replace the file's tables of the same names.

    Returns:
        The program, ending in a newline.

    Raises:
        Refusal: the sentence does not hold together, or the backend cannot write it (a
            ValueError; an unknown backend is refused the same way).
        TypeError, ValueError: the arguments are not what this takes, or brell.toml is
            missing, not well formed, or does not describe the sentence's first table
            (ValueError naming the file). RuntimeError: brell.toml needs Python 3.11's tomllib.

    The checker's notes are issued as `Note` warnings. The compiler runs without the GIL.
    """
    sentence = _checked_sentence(sentence)
    if not isinstance(to, str):
        raise TypeError(f"to must be a backend's name, a str, not {type(to).__name__}")
    head, named = _described(sentence, columns, tables)
    return _answered(_brell.compile(sentence, head, named, to), sentence, stacklevel=2)


def draw(
    sentence: str, columns: Optional[Columns] = None, way: str = "svg", tables: Tables = None
) -> Drawing:
    """What each step of the sentence does to the table, drawn: `brell --draw WAY`.

    Args:
        sentence, columns, tables: as for `compile`.
        way: "svg" for a page or a notebook, "text" for a terminal.

    Returns:
        The drawing as a `str`: an `SvgDrawing`, which Jupyter shows as a picture, or a
        `TextDrawing`.

    Raises:
        Refusal: the sentence does not parse, or there is no such way of drawing.
    """
    sentence = _checked_sentence(sentence)
    if not isinstance(way, str):
        raise TypeError(f'way must be "svg" or "text", not {type(way).__name__}')
    head, named = _described(sentence, columns, tables)
    text = _answered(_brell.draw(sentence, head, named, way), sentence, stacklevel=2)
    return SvgDrawing(text) if way == "svg" else TextDrawing(text)


def needs(sentence: str) -> list[str]:
    """The tables the sentence reads: its source first, then every table a `join`, an
    `add_rows` or a `matching(...)` names, in order of first appearance.

    Raises:
        Refusal: the sentence does not parse.
    """
    sentence = _checked_sentence(sentence)
    return _answered(_brell.needs(sentence), sentence, stacklevel=2).splitlines()


def backends() -> list[str]:
    """The languages `compile` writes, in order: sql, spark, dplyr, pandas, polars, pyspark and
    brell (the sentence in its own canonical spelling)."""
    return list(_brell.backends())


def vocabulary() -> list[Word]:
    """Every word of the language with its kind, as `brell --vocabulary` lists them."""
    words = []
    for line in _brell.vocabulary().splitlines():
        kind, _, word = line.partition("\t")
        words.append(Word(kind, word))
    return words
