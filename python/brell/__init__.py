"""brell from Python: compile a one-sentence table pipeline in process, or run it on a DataFrame.

    >>> import brell
    >>> print(brell.compile('sales then keep where [region] is "West" then take 10',
    ...                     {"region": "text", "revenue": "number"}))
    >>> brell.run('sales then keep where [region] is "West" then take 10', sales=df)

The compiler is the same C++ core the `brell` command line runs: `compile` returns exactly what
`brell --as` prints. A sentence the compiler refuses raises `Refusal`, a `ValueError` whose
`str()` is the sentence with carets under the words. The checker's notes on a sentence it accepts
are issued as warnings of the category `Note`. In IPython or Jupyter, `%load_ext brell` adds the
`%%brell` cell magic.
"""

from ._api import (
    Note,
    Refusal,
    Word,
    backends,
    compile,
    draw,
    needs,
    vocabulary,
)
from ._drawing import Drawing, SvgDrawing, TextDrawing
from ._run import column_types, run

__all__ = [
    "Drawing",
    "Note",
    "Refusal",
    "SvgDrawing",
    "TextDrawing",
    "Word",
    "backends",
    "column_types",
    "compile",
    "draw",
    "needs",
    "run",
    "vocabulary",
]

__version__ = "0.1.0"


def load_ipython_extension(ipython) -> None:  # noqa: ANN001 - IPython's shell
    """Registers the `%%brell` cell magic: `%load_ext brell`."""
    from ._magic import BrellMagics

    ipython.register_magics(BrellMagics)
