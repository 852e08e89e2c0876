"""Offsets in a document's text (characters, as Python and the compiler's binding count them)
and the protocol's positions (a line, and a column in the code units the session agreed on),
each turned into the other. Lines end at "\\r\\n", "\\r" or "\\n", as the protocol says; an
offset or position past the end stands at the end."""

from __future__ import annotations

import bisect
import re
from typing import List

from lsprotocol import types

_LINE_BREAK = re.compile(r"\r\n|\r|\n")


class Positions:
    def __init__(self, text: str, encoding: str = "utf-16") -> None:
        self.text = text
        self.starts: List[int] = [0] + [match.end() for match in _LINE_BREAK.finditer(text)]
        self.encoding = encoding

    def _units(self, piece: str) -> int:
        if self.encoding == "utf-32" or piece.isascii():
            return len(piece)
        if self.encoding == "utf-8":
            return len(piece.encode("utf-8", "surrogatepass"))
        return len(piece) + sum(1 for c in piece if ord(c) > 0xFFFF)

    def position(self, offset: int) -> types.Position:
        offset = max(0, min(offset, len(self.text)))
        line = bisect.bisect_right(self.starts, offset) - 1
        return types.Position(line, self._units(self.text[self.starts[line] : offset]))

    def range(self, start: int, end: int) -> types.Range:
        return types.Range(self.position(start), self.position(end))

    def offset(self, position: types.Position) -> int:
        if position.line >= len(self.starts):
            return len(self.text)
        start = self.starts[position.line]
        end = (
            self.starts[position.line + 1]
            if position.line + 1 < len(self.starts)
            else len(self.text)
        )
        line = _LINE_BREAK.sub("", self.text[start:end])
        if line.isascii() or self.encoding == "utf-32":
            return start + min(position.character, len(line))
        units = 0
        for index, c in enumerate(line):
            if units >= position.character:
                return start + index
            units += self._units(c)
        return start + len(line)

    def whole(self) -> types.Range:
        return self.range(0, len(self.text))
