"""The package under test is the one installed from a wheel, not the source tree."""

from __future__ import annotations

from pathlib import Path

import brell
from brell import _brell

from conftest import SOURCE_TREE


def test_brell_is_imported_from_the_installed_package():
    for module in (brell, _brell):
        where = Path(module.__file__).resolve()
        assert SOURCE_TREE not in where.parents, where
        assert "site-packages" in where.parts, where
