"""The random small tables the differential run's sentences read (random_sentences.py).

`make_tables(rng)` gives the head table `t` and a second table, named `p` or, now and then,
`shop.p` (a table in a schema, which every engine binds its own way), in the engine suite's table
model: columns with their type words, rows of JSON cells.

They hold what makes engines disagree: missing values, ties, duplicate keys, negative and
fractional numbers, a column `k` of whole numbers, many of them 0, to divide by; texts with quotes,
`%`, `_` and backslashes, and texts with spaces, tabs and newlines before or after (`trim` takes
off the spaces only); a group whose numbers, or whose texts, are all missing.

Every number the tables hold, and every number a sentence divides by, is a small multiple of a
power of two (or 0), so that arithmetic on them is exact on every engine and the rows compare
without rounding deciding a later `keep` or `round_below`.
"""

TEXTS = ["West", "East", "it's", "50%", "a_b", "back\\slash", "\"quoted\"", "", "west",
         " West", "East ", "\tx", "y\n", " \t a \n", "  ", "\n"]
GROUPS = ["a", "b", "c"]
DIVISORS = [0, 0, 0, 1, 2, -2, 4, -1]
OTHER_TABLE_NAMES = ["p", "p", "p", "shop.p"]


def _number(rng, fractional):
    if rng.random() < 0.15:
        return None
    if fractional:
        return rng.choice([-2.5, -0.5, 0, 0.25, 1.5, 3, 7.75, 10])
    return rng.choice([-3, -1, 0, 1, 2, 2, 5, 10, 40])


def _maybe(rng, value, chance=0.15):
    return None if rng.random() < chance else value


def _day(rng):
    return _maybe(rng, "2024-%02d-%02d" % (rng.choice([1, 2, 3, 12]), rng.choice([1, 15, 28])))


T_COLUMNS = [("id", "number"), ("g", "text"), ("x", "number"), ("y", "number"), ("s", "text"),
             ("f", "truth"), ("d", "date"), ("k", "number")]
P_COLUMNS = [("id", "number"), ("g", "text"), ("z", "number")]


def make_tables(rng):
    """{"t": ..., name: ...}: the head table `t` (with a unique `id`) and a second table to join,
    stack and match, under the name `other_table_name` of the answer reads."""
    count = rng.choice([0, 1, 3, 5, 6, 8])
    t_rows = []
    for i in range(count):
        t_rows.append([
            i + 1,
            _maybe(rng, rng.choice(GROUPS)),
            _number(rng, False),
            _number(rng, True),
            _maybe(rng, rng.choice(TEXTS)),
            _maybe(rng, rng.choice([True, False])),
            _day(rng),
            _maybe(rng, rng.choice(DIVISORS)),
        ])
    # A group whose numbers are all missing, now and then; and one whose texts are.
    if t_rows and rng.random() < 0.3:
        for row in t_rows:
            if row[1] == "c":
                row[2] = None
    if t_rows and rng.random() < 0.3:
        silent = rng.choice(GROUPS)
        for row in t_rows:
            if row[1] == silent:
                row[4] = None
    p_rows = []
    for _ in range(rng.choice([0, 2, 4])):
        p_rows.append([_maybe(rng, rng.choice([1, 2, 2, 3, 9])), _maybe(rng, rng.choice(GROUPS)),
                       _number(rng, False)])
    other = rng.choice(OTHER_TABLE_NAMES)

    def table(columns, rows):
        return {"columns": [{"name": name, "type": kind} for name, kind in columns],
                "rows": rows}

    return {"t": table(T_COLUMNS, t_rows), other: table(P_COLUMNS, p_rows)}


def other_table_name(tables):
    """The name of the table that is not the head table."""
    return next(name for name in tables if name != "t")
