"""The words of a sentence as far as an editor needs them: where each step begins, which verb it
has, and what stands just before the cursor. A sentence being typed seldom parses, so this reads
it loosely, as the compiler's lexer would up to where it stops: a `"` opens text up to the next
`"`, a `[` a column bracket up to the next `]`, and `#` a comment to the end of the line."""

from __future__ import annotations

import re
from typing import List, NamedTuple, Optional

_WORD = re.compile(r"[^\W\d]\w*")


class Token(NamedTuple):
    kind: str  # "word", "text", "bracket", "comment" or a single "symbol"
    text: str
    start: int
    end: int  # one past the last character; an unclosed text or bracket runs to the end


def tokens(sentence: str) -> List[Token]:
    found: List[Token] = []
    at = 0
    length = len(sentence)
    while at < length:
        c = sentence[at]
        if c.isspace():
            at += 1
            continue
        closing = {'"': '"', "[": "]", "#": "\n"}.get(c)
        if closing is not None:
            end = sentence.find(closing, at + 1)
            end = length if end < 0 else end + (0 if c == "#" else 1)
            kind = {'"': "text", "[": "bracket", "#": "comment"}[c]
            found.append(Token(kind, sentence[at:end], at, end))
            at = end
            continue
        word = _WORD.match(sentence, at)
        if word:
            found.append(Token("word", word.group(), at, word.end()))
            at = word.end()
        else:
            found.append(Token("symbol", c, at, at + 1))
            at += 1
    return found


class Place(NamedTuple):
    """Where the cursor stands: the step it is in, and what is just before it."""

    step_start: int  # where the words of the cursor's step begin (after its `then`)
    then_start: Optional[int]  # where that `then` stands; None in the source's place
    verb: Optional[str]  # the step's first word, when the cursor is past it
    before: Optional[Token]  # the last token wholly before the cursor's word
    in_bracket: bool  # the cursor is inside a `[...]`
    in_text: bool  # inside a `"..."` or a comment: nothing to complete
    prefix: str  # the part of a word the cursor is at the end of


def _open_at(token: Token, offset: int) -> bool:
    """Whether the cursor at `offset`, at or before the token's end, is inside it."""
    if token.kind == "comment":
        return True
    if offset < token.end:
        return True
    closer = '"' if token.kind == "text" else "]"
    return len(token.text) == 1 or not token.text.endswith(closer)


def place_at(sentence: str, offset: int) -> Place:
    context = [token for token in tokens(sentence) if token.start < offset]
    in_bracket = in_text = False
    prefix = ""
    if context:
        last = context[-1]
        if last.kind in ("text", "bracket", "comment") and _open_at(last, offset):
            in_bracket, in_text = last.kind == "bracket", last.kind != "bracket"
            prefix = sentence[last.start + 1 : offset].rsplit(",", 1)[-1].lstrip()
            context.pop()
        elif last.kind == "word" and last.end >= offset:
            prefix = sentence[last.start : offset]
            context.pop()
    context = [token for token in context if token.kind != "comment"]
    step_start, then_start, step = 0, None, context
    for index in range(len(context) - 1, -1, -1):
        if context[index].kind == "word" and context[index].text == "then":
            step_start, then_start, step = (
                context[index].end,
                context[index].start,
                context[index + 1 :],
            )
            break
    verb = step[0].text if step and step[0].kind == "word" else None
    return Place(
        step_start, then_start, verb, context[-1] if context else None, in_bracket, in_text, prefix
    )


def word_at(sentence: str, offset: int) -> Optional[Token]:
    """The word the offset is in or just after (not inside text, a bracket or a comment)."""
    for token in tokens(sentence):
        if token.start > offset:
            return None
        if token.kind == "word" and token.start <= offset <= token.end:
            return token
    return None
