"""The `%%brell` cell magic for IPython and Jupyter (`%load_ext brell`).

    %%brell
    sales then keep where [region] is "West" then take 10

The cell is one sentence. The tables it reads are the notebook's variables of those names
(DataFrames of pandas, polars or PySpark, or DuckDB relations). The magic shows the drawing of the sentence and returns the table
it makes, so the result is shown as the cell's output. The line after `%%brell` may hold
options:

    --no-draw       run without showing the drawing
    --as BACKEND    show the program written for BACKEND instead of running it
    NAME            also store the result in the notebook variable NAME
"""

from __future__ import annotations

import shlex
from typing import Any

from IPython.core.error import UsageError
from IPython.core.magic import Magics, cell_magic, magics_class
from IPython.display import display

from ._api import compile as compile_sentence
from ._api import draw, needs
from ._run import column_types, run


def _options(line: str) -> tuple:
    words = shlex.split(line)
    drawing, backend, target = True, None, None
    index = 0
    while index < len(words):
        word = words[index]
        if word == "--no-draw":
            drawing = False
        elif word == "--as":
            if index + 1 >= len(words):
                raise UsageError("%%brell: `--as` needs a backend")
            index += 1
            backend = words[index]
        elif word.startswith("-"):
            raise UsageError(f"%%brell: `{word}` is not an option")
        elif target is None and word.isidentifier():
            target = word
        else:
            raise UsageError(f"%%brell: `{word}` is not an option or a variable name")
        index += 1
    return drawing, backend, target


@magics_class
class BrellMagics(Magics):
    """The `%%brell` cell magic."""

    @cell_magic
    def brell(self, line: str, cell: str) -> Any:
        """Draws the sentence in the cell and runs it on the notebook's DataFrames.

        Options: `--no-draw`, `--as BACKEND` (show the program instead of running it), and a
        variable name to store the result in.
        """
        drawing, backend, target = _options(line)
        sentence = cell.strip()
        variables = self.shell.user_ns
        frames = {}
        for name in needs(sentence):
            if name not in variables:
                raise UsageError(f"%%brell: the sentence reads `{name}`, which is not a variable")
            frames[name] = variables[name]
        names = list(frames)
        head = column_types(frames[names[0]], names[0])
        others = {name: column_types(frames[name], name) for name in names[1:]}
        if drawing:
            display(draw(sentence, head, "svg", others))
        if backend is not None:
            program = compile_sentence(sentence, head, backend, others)
            print(program, end="")
            return None
        result = run(sentence, tables=frames)
        if target is not None:
            variables[target] = result
        return result
