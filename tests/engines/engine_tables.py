"""What every engine's runner shares: a case's typed table as Python values, and the failures."""

import ast
import datetime
import types


class EngineMissing(Exception):
    """The engine cannot be loaded on this machine."""


class EngineFailed(Exception):
    """The engine refused or failed to run the program; the message is the engine's."""


def is_whole_number_column(kind, values):
    """A number column whose present values are all whole numbers is stored as whole numbers."""
    return kind == "number" and all(isinstance(v, int) for v in values if v is not None)


def python_value(kind, value):
    if value is None:
        return None
    if kind == "date":
        return datetime.date.fromisoformat(value)
    if kind == "timestamp":
        return datetime.datetime.fromisoformat(value)
    if kind == "number" and isinstance(value, float) and value.is_integer():
        return value
    return value


def typed_columns(header, rows):
    """[(name, kind, whole, [values])]: each column with its cells as Python values."""
    columns = []
    for index, (name, kind) in enumerate(header):
        values = [python_value(kind, row[index]) for row in rows]
        whole = is_whole_number_column(kind, [row[index] for row in rows])
        if kind == "number" and not whole:
            values = [None if v is None else float(v) for v in values]
        columns.append((name, kind, whole, values))
    return columns


def bind(namespace, name, frame):
    """Binds a table under its name; a dotted name (`shop.orders`) as attributes of objects."""
    *outer, last = name.split(".")
    for part in outer:
        namespace = namespace.setdefault(part, types.SimpleNamespace()).__dict__
    namespace[last] = frame


def evaluate_program(program, namespace):
    """The value of a Python program that is one expression, evaluated in the namespace. A program
    that is not one expression, or that raises, fails as the engine's answer."""
    try:
        tree = ast.parse(program, mode="eval")
    except SyntaxError as error:
        raise EngineFailed(f"the program is not one Python expression: {error}")
    try:
        return eval(compile(tree, "<brell>", "eval"), namespace)
    except Exception as error:  # the program failing is what the case reports
        raise EngineFailed(f"{type(error).__name__}: {error}")
