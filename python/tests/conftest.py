"""What the package's tests share: the command-line program to compare with, and frames."""

from __future__ import annotations

import os
from pathlib import Path

import pytest

SOURCE_TREE = Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session")
def brell_executable() -> str:
    """The `brell` program built from the same tree; the tests fail without it."""
    path = Path(os.environ.get("BRELL_EXECUTABLE", SOURCE_TREE / "build" / "brell"))
    if not path.is_file():
        pytest.fail(f"no brell program at {path}: build it, or set BRELL_EXECUTABLE")
    return str(path)


def rows_of(frame) -> list[tuple]:
    """A pandas or polars frame's rows as tuples, every missing value as None."""
    if type(frame).__module__.startswith("polars"):
        return [tuple(row) for row in frame.rows()]
    import pandas as pd

    return [
        tuple(None if pd.isna(value) else value for value in row)
        for row in frame.itertuples(index=False, name=None)
    ]
