"""The libraries brell runs on are optional: each is imported only when a table of its kind, or a
file, needs it, and its absence is said in words that name the package to install."""

from __future__ import annotations

import importlib
from types import ModuleType


def optional_module(module: str, package: str, needed_for: str) -> ModuleType:
    """The module, imported; or an ImportError naming the package that brings it.

    `needed_for` completes "... needs the package": "reading files", "the spark engine".
    """
    try:
        return importlib.import_module(module)
    except ImportError as error:
        raise ImportError(
            f"{needed_for} needs the package `{package}`, which is not installed here "
            f"(pip install {package}): {error}"
        ) from error
