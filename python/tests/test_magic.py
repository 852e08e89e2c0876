"""The `%%brell` cell magic, driven through IPython's own test shell."""

from __future__ import annotations

import pandas as pd
import polars as pl
import pytest
from IPython.core.error import UsageError
from IPython.utils.capture import capture_output

import brell

SENTENCE = 'sales then keep where [region] is "West" then pick [id]'


@pytest.mark.parametrize("make", [pd.DataFrame, pl.DataFrame])
def test_the_magic_draws_the_sentence_and_returns_its_rows(shell, make):
    shell.user_ns["sales"] = make({"id": [1, 2, 3], "region": ["West", "East", "West"]})
    with capture_output() as captured:
        result = shell.run_cell_magic("brell", "west", SENTENCE)
    (shown,) = captured.outputs
    assert shown.data["image/svg+xml"].lstrip().startswith("<svg")
    assert list(result["id"]) == [1, 3]
    assert shell.user_ns["west"] is result


def test_the_magic_shows_a_program_instead_when_asked(shell):
    shell.user_ns["sales"] = pd.DataFrame({"id": [1], "region": ["West"]})
    with capture_output() as captured:
        result = shell.run_cell_magic("brell", "--no-draw --as sql", SENTENCE)
    assert result is None and not captured.outputs
    assert captured.stdout == brell.compile(SENTENCE, {"id": "number", "region": "text"})


def test_the_magic_raises_the_refusal_with_its_carets(shell):
    shell.user_ns["sales"] = pd.DataFrame({"id": [1], "region": ["West"]})
    with pytest.raises(brell.Refusal) as raised, capture_output():
        shell.run_cell_magic("brell", "--no-draw", "sales then pick [price]")
    assert "^" in str(raised.value)


def test_the_magic_names_a_table_the_notebook_lacks(shell):
    with pytest.raises(UsageError, match="reads `nowhere`, which is not a variable"):
        shell.run_cell_magic("brell", "", "nowhere then take 1")


def test_a_drawing_displays_as_svg_in_the_notebook(shell):
    drawing = brell.draw("sales then take 1", {"id": "number"})
    formatted, _ = shell.display_formatter.format(drawing)
    assert formatted["image/svg+xml"] == drawing
