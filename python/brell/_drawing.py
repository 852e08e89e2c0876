"""What `brell.draw` returns: the drawing's text, shown as a picture in a notebook."""

from __future__ import annotations


class Drawing(str):
    """A drawing of what each step of a sentence does to the table. It is the text `brell --draw`
    prints (a `str`), and notebooks show it as what it is."""

    way: str = ""


class SvgDrawing(Drawing):
    """An SVG document; Jupyter shows it as a picture."""

    way = "svg"

    def _repr_svg_(self) -> str:
        return str(self)


class TextDrawing(Drawing):
    """A drawing in text for a terminal; IPython shows it as text, not as a quoted string."""

    way = "text"

    def _repr_pretty_(self, printer, cycle: bool) -> None:  # noqa: ANN001 - IPython's printer
        printer.text(str(self))
