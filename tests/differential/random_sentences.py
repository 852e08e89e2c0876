"""Random sentences over random small tables, for running one sentence on every engine.

`make_example(seed)` gives the tables (random_tables.py: columns with their type words, rows of
JSON cells) and one sentence that reads them. The sentences are drawn with the types in mind, so
most of them check; the tables hold what makes engines disagree (random_tables.py lists it).

A sentence only asks what has one answer: rows are taken, numbered or read in order only after a
sort on a column whose values are still unique; so are the aggregates that read a group's rows in
order, `first`, `last` and `join_rows`, which may also read the table's own order while only steps
that keep it came before. They stand in `summarize` (now and then beside `unique_count`, which
makes Spark shuffle the rows), in `add ... by` and as a `widen` cell. A `widen` cell may also be a
count (`row_count()`, `unique_count(...)`), which a cell no row fills holds as 0. Divisions and
remainders divide by a column holding 0s (or by 0), and `between` reads ends that may be missing.
Numbers are rounded to places (the data holds halves), cut to whole quotients and raised to powers
that may have no answer; texts are cut by position and matched against patterns of stars, and
dates written with a pattern; a group's truths are asked with `any_yes` and `all_yes`.
"""

import random

from random_tables import GROUPS, TEXTS, make_tables, other_table_name

# The steps after which the table's own order still holds (an `add` of an aggregate aside).
ORDER_KEEPING_VERBS = ("keep", "add", "pick", "rename", "fill_missing", "drop_missing")


class SentenceState:
    """What the sentence has made of the table so far: columns and types, which columns are
    known to hold unique values, and whether a sort on one of them settles the order."""

    def __init__(self, other):
        self.columns = {"id": "number", "g": "text", "x": "number", "y": "number", "s": "text",
                        "f": "truth", "d": "date", "k": "number"}
        self.unique = {"id"}
        # The table's own order is in force until a step that may move its rows: the ordered
        # aggregates read it (Spark's own `first` lost it beside `unique_count`).
        self.table_order = True
        # The columns whose values are 0 or a small power of two, which a sentence divides by.
        self.divisors = {"k"}
        self.other = other  # the second table's name: `p`, or a dotted one
        self.ordered = False
        self.sort_keys = set()
        self.fresh = 0

    def of_type(self, kind):
        return [name for name, t in self.columns.items() if t == kind]

    def reads_in_order(self):
        return self.ordered or self.table_order

    def divisor_columns(self):
        return sorted(n for n in self.divisors if self.columns.get(n) == "number")

    def new_name(self):
        self.fresh += 1
        return "n%d" % self.fresh


def _column(name):
    return "[" + name + "]"


def _text_literal(rng):
    # A text in a sentence has no escapes, so it cannot hold a double quote; the data can.
    text = rng.choice([t for t in TEXTS if not set(t) & set('"\t\n')] + ["a", "%", "_", "\\"])
    return '"' + text + '"'


class SentenceMaker:
    def __init__(self, rng):
        self.rng = rng

    # Values ------------------------------------------------------------------------------------

    def number_value(self, state, depth):
        rng = self.rng
        numbers = state.of_type("number")
        if depth <= 0 or rng.random() < 0.35:
            if numbers and rng.random() < 0.75:
                return _column(rng.choice(numbers))
            return rng.choice(["0", "1", "2", "-1", "0.5", "3"])
        choice = rng.randrange(14)
        if rng.random() < 0.3:
            choice = rng.choice([7, 8, 10, 11])  # a divisor that may be 0, often
        if choice == 0:
            op = rng.choice(["+", "-", "*"])
            return "(%s %s %s)" % (self.number_value(state, depth - 1), op,
                                   self.number_value(state, depth - 1))
        if choice == 1:
            return "(%s / %s)" % (self.number_value(state, depth - 1),
                                  rng.choice(["2", "4", "0.5", self.divisor(state)]))
        if choice == 2:
            return "%s(%s)" % (rng.choice(["round_below", "round_above"]),
                               self.number_value(state, depth - 1))
        if choice == 3:
            return "first_present(%s, %s)" % (self.number_value(state, depth - 1),
                                              self.number_value(state, depth - 1))
        if choice == 4 and state.of_type("text"):
            return "characters(%s)" % self.trimmed(rng.choice(state.of_type("text")))
        if choice == 5:
            return "when(%s, %s, otherwise %s)" % (self.condition(state, depth - 1),
                                                   self.number_value(state, depth - 1),
                                                   self.number_value(state, depth - 1))
        if choice == 7:
            return "(%s / %s)" % (self.number_value(state, depth - 1), self.divisor(state))
        if choice == 8:
            return "remainder(%s, %s)" % (self.number_value(state, depth - 1), self.divisor(state))
        if choice == 9:
            # The data's numbers hold halves at 0, 1 and 2 places: 2.5, -0.5, 0.25, 7.75.
            places = rng.choice(["", ", 0", ", 1", ", 2"])
            return "round_nearest(%s%s)" % (self.number_value(state, depth - 1), places)
        if choice == 10:
            return "whole_quotient(%s, %s)" % (self.number_value(state, depth - 1),
                                               self.divisor(state))
        if choice == 11:
            return "quotient_remainder(%s, %s)" % (self.number_value(state, depth - 1),
                                                   self.divisor(state))
        if choice == 12:
            # 0 to the -1, and a negative number to the 0.5, are missing.
            return "power(%s, %s)" % (self.number_value(state, depth - 1),
                                      rng.choice(["2", "3", "-1", "0.5", "0"]))
        if choice == 13:
            # Outside its domain (a root of a negative, a logarithm of 0) a function is missing;
            # an exponential is of a column or a small number, never far past what a double holds.
            function = rng.choice(["absolute", "square_root", "natural_logarithm",
                                   "decimal_logarithm", "exponential"])
            argument = (_column(rng.choice(numbers)) if numbers and function == "exponential"
                        else self.number_value(state, depth - 1))
            return "%s(%s)" % (function, argument)
        return "remainder(%s, %s)" % (self.number_value(state, depth - 1),
                                      rng.choice(["2", "3", self.divisor(state)]))

    def divisor(self, state):
        """A column that may hold 0, now and then 0 itself: what `/` and `remainder` divide by.
        Its values are powers of two, so that a quotient is as exact on one engine as another."""
        columns = state.divisor_columns()
        if columns and self.rng.random() < 0.85:
            return _column(self.rng.choice(columns))
        return self.rng.choice(["0", "2", "-1"])

    def text_value(self, state, depth):
        rng = self.rng
        texts = state.of_type("text")
        if depth <= 0 or rng.random() < 0.4 or not texts:
            return _column(rng.choice(texts)) if texts and rng.random() < 0.8 \
                else _text_literal(rng)
        choice = rng.randrange(8)
        column = _column(rng.choice(texts))
        if choice == 0:
            return "%s(%s)" % (rng.choice(["lower", "upper", "trim"]), column)
        if choice == 1:
            return "join_text(%s, %s)" % (column, _text_literal(rng))
        if choice == 2:
            return "replace_text(%s, %s, %s)" % (column, _text_literal(rng), _text_literal(rng))
        if choice == 3:
            return "first_present(%s, %s)" % (column, _text_literal(rng))
        if choice == 4:
            # Pieces past the last, below the first and empty ones; a whole number for the piece.
            pieces = ["1", "2", "3"]
            if state.of_type("number"):
                pieces.append("round_below(%s)" % _column(rng.choice(state.of_type("number"))))
            piece = rng.choice(pieces)
            separator = rng.choice(['"_"', '"a"', '"%"', '"\\"', '"s"'])
            return "split_text(%s, %s, %s)" % (column, separator, piece)
        if choice == 5:
            # Starts past the end and lengths of 0; the data's texts hold tabs and line breaks.
            length = rng.choice(["", ", 0", ", 1", ", 3"])
            return "part_of_text(%s, %s%s)" % (column, rng.choice(["1", "2", "4"]), length)
        if choice == 6 and state.of_type("date"):
            pattern = rng.choice(["%d/%m/%Y", "%Y%m%d", "%m-%d %% it's", "year %Y"])
            return 'date_text(%s, "%s")' % (_column(rng.choice(state.of_type("date"))), pattern)
        return "to_text(%s)" % _column(rng.choice(state.of_type("number") or texts))

    def trimmed(self, name):
        """The text column, now and then trimmed: the data's texts have spaces, tabs and newlines
        at their ends, of which `trim` (and `trim_start`, `trim_end`) takes off the spaces only."""
        if self.rng.random() < 0.6:
            return _column(name)
        trim = self.rng.choice(["trim", "trim", "trim_start", "trim_end"])
        return "%s(%s)" % (trim, _column(name))

    def condition(self, state, depth):
        rng = self.rng
        choice = rng.randrange(9 if depth > 0 else 6)
        numbers, texts = state.of_type("number"), state.of_type("text")
        if choice == 0 and numbers:
            op = rng.choice(["is", "is not", "<", "<=", ">", ">="])
            return "%s %s %s" % (self.number_value(state, depth), op,
                                 self.number_value(state, depth))
        if choice == 1 and texts:
            op = rng.choice(["is", "is not", "<", ">"])
            return "%s %s %s" % (self.trimmed(rng.choice(texts)), op, _text_literal(rng))
        if choice == 2:
            name = rng.choice(list(state.columns))
            return "%s %s" % (_column(name), rng.choice(["is missing", "is not missing"]))
        if choice == 3 and texts:
            test = rng.choice(["starts", "ends", "contains", "matches"])
            right = _text_literal(rng) if rng.random() < 0.7 else _column(rng.choice(texts))
            if test == "matches":
                # Stars among the characters LIKE and regular expressions make special.
                right = '"%s"' % rng.choice(["*", "*s*", "W*t", "*%*", "*_*", "*\\*", "",
                                             "*a*b*", "it's", "*t*e*"])
            return "%s %s %s" % (_column(rng.choice(texts)), test, right)
        if choice == 4 and numbers:
            items = ", ".join(rng.sample(["1", "2", "-1", "10", "missing"], rng.randint(1, 3)))
            return "%s %s {%s}" % (_column(rng.choice(numbers)),
                                   rng.choice(["in", "not in"]), items)
        if choice == 5 and state.of_type("truth"):
            return _column(rng.choice(state.of_type("truth")))
        if choice == 6:
            return "(%s %s %s)" % (self.condition(state, depth - 1), rng.choice(["and", "or"]),
                                   self.condition(state, depth - 1))
        if choice == 7:
            return "not (%s)" % self.condition(state, depth - 1)
        if choice == 8 and numbers:
            # An end read from a column may be missing: three-valued, `between(7, missing, 5)`
            # is no.
            low = _column(rng.choice(numbers)) if rng.random() < 0.5 else rng.choice(["-1", "0"])
            high = _column(rng.choice(numbers)) if rng.random() < 0.5 else rng.choice(["2", "10"])
            return "between(%s, %s, %s)" % (_column(rng.choice(numbers)), low, high)
        return "%s is missing" % _column(rng.choice(list(state.columns)))

    def aggregate(self, state):
        rng = self.rng
        numbers = state.of_type("number")
        choice = rng.randrange(7)
        if choice == 6 and state.of_type("truth"):
            return "%s(%s)" % (rng.choice(["any_yes", "all_yes"]),
                               _column(rng.choice(state.of_type("truth")))), "truth"
        if choice == 0 or not numbers:
            return "row_count()", "number"
        if choice == 1:
            name = rng.choice(list(state.columns))
            counting = rng.choice(["unique_count", "value_count"])
            return "%s(%s)" % (counting, _column(name)), "number"
        if choice == 2:
            name = rng.choice(numbers + state.of_type("text"))
            return "%s(%s)" % (rng.choice(["smallest", "largest"]), _column(name)), \
                state.columns[name]
        if state.reads_in_order() and rng.random() < 0.6:
            return self.ordered_aggregate(state)
        function = rng.choice(["total", "average", "median", "total"])
        return "%s(%s)" % (function, _column(rng.choice(numbers))), "number"

    def aggregates(self, state):
        """One or two aggregates for one step; once the order is settled, now and then an ordered
        one beside `unique_count` (Spark shuffles the rows to count distinct values)."""
        rng = self.rng
        if state.reads_in_order() and rng.random() < 0.4:
            together = [self.ordered_aggregate(state),
                        ("unique_count(%s)" % _column(rng.choice(list(state.columns))), "number")]
            if rng.random() < 0.4:
                together.append(self.ordered_aggregate(state))
            rng.shuffle(together)
            return together
        return [self.of_answer(*self.aggregate(state)) for _ in range(rng.randint(1, 2))]

    def of_answer(self, value, kind):
        """Now and then a value worked out of a group's answer rather than the answer itself."""
        rng = self.rng
        if rng.random() < 0.7:
            return value, kind
        if kind == "number":
            return rng.choice([("round_nearest(%s / 3, 1)" % value, "number"),
                               ("absolute(%s - 2)" % value, "number"),
                               ('when(%s > 1, "many", otherwise "few")' % value, "text")])
        if kind == "text":
            return "upper(%s)" % value, "text"
        return value, kind

    def ordered_aggregate(self, state, names=None):
        """`first`, `last` or `join_rows` of one of the names (any column by default), which read a
        group's rows in the order in force: only drawn once a sort has settled it. `join_rows`
        takes a text column as it stands."""
        rng = self.rng
        names = list(state.columns) if names is None else names
        texts = [n for n in names if state.columns[n] == "text"]
        if texts and rng.random() < 0.5:
            separator = rng.choice(["+", ",", ", ", "", " ", "%", "_", "\\"])
            return 'join_rows(%s, "%s")' % (_column(rng.choice(texts)), separator), "text"
        name = rng.choice(names)
        return "%s(%s)" % (rng.choice(["first", "last"]), _column(name)), state.columns[name]

    # Steps -------------------------------------------------------------------------------------

    def step(self, state):
        rng = self.rng
        choices = ["keep", "keep", "add", "add", "pick", "summarize", "sort", "sort", "rename",
                   "fill_missing", "drop_missing", "drop_duplicates", "join", "add_rows",
                   "matching", "lengthen", "widen", "widen", "take", "window", "add_combinations"]
        while True:
            verb = rng.choice(choices)
            made = getattr(self, "_" + verb)(state)
            if made is not None:
                if verb not in ORDER_KEEPING_VERBS:
                    state.table_order = False
                return made

    def settled_order(self, state):
        """Now and then a sort on a unique column before a step that aggregates, so that `first`
        and `last` can be drawn: the sort's words and " then ", or nothing."""
        if state.ordered or not state.unique or self.rng.random() < 0.5:
            return ""
        key = self.rng.choice(sorted(state.unique))
        state.ordered, state.sort_keys = True, {key}
        return "sort %s%s then " % (_column(key), " descending" if self.rng.random() < 0.4 else "")

    def _keep(self, state):
        return "keep where " + self.condition(state, 2)

    def _add(self, state):
        rng = self.rng
        name = state.new_name()
        if rng.random() < 0.3:
            sort = self.settled_order(state)
            items = []
            for value, kind in self.aggregates(state):
                items.append("%s as %s" % (_column(name), value))
                state.columns[name] = kind
                name = state.new_name()
            state.table_order = False  # an aggregate added may move the rows
            groups = [c for c in ("g", "s") if c in state.columns]
            by = " by " + _column(rng.choice(groups)) if groups and rng.random() < 0.7 else ""
            return "%sadd %s%s" % (sort, ", ".join(items), by)
        kind = rng.choice(["number", "number", "text", "truth"])
        if kind == "number" and state.of_type("number") and rng.random() < 0.3:
            # A quotient or a remainder by a divisor that may be 0, as a column of its own.
            value = rng.choice(["(%s / %s)", "remainder(%s, %s)"]) % (
                _column(rng.choice(state.of_type("number"))), self.divisor(state))
        else:
            value = {"number": self.number_value, "text": self.text_value,
                     "truth": self.condition}[kind](state, 2)
        state.columns[name] = kind
        return "add %s as %s" % (_column(name), value)

    def _pick(self, state):
        rng = self.rng
        names = list(state.columns)
        if len(names) < 2:
            return None
        chosen = rng.sample(names, rng.randint(1, len(names) - 1))
        if rng.random() < 0.3:
            kept = [n for n in names if n not in chosen]
            text = "pick all_but " + "[" + ", ".join(chosen) + "]"
            chosen = kept
        else:
            text = "pick [" + ", ".join(chosen) + "]"
        state.columns = {n: state.columns[n] for n in names if n in chosen} \
            if text.startswith("pick all_but") else {n: state.columns[n] for n in chosen}
        state.unique &= set(state.columns)
        if not state.sort_keys <= set(state.columns):
            state.ordered = False  # a sort key taken away clears the order in force
        return text

    def _summarize(self, state):
        rng = self.rng
        groups = [n for n in state.columns if state.columns[n] in ("text", "truth", "number")]
        by = rng.sample(groups, rng.randint(0, min(2, len(groups)))) if groups else []
        sort = self.settled_order(state)
        items, columns = [], {n: state.columns[n] for n in by}
        for value, kind in self.aggregates(state):
            name = state.new_name()
            items.append("%s as %s" % (_column(name), value))
            columns[name] = kind
        state.columns = columns
        state.unique = {by[0]} if len(by) == 1 else set()
        state.ordered = False
        return sort + "summarize " + ", ".join(items) + \
            (" by [" + ", ".join(by) + "]" if by else "")

    def _sort(self, state):
        rng = self.rng
        names = list(state.columns)
        keys = rng.sample(names, rng.randint(1, min(2, len(names))))
        written = ", ".join(_column(k) + (" descending" if rng.random() < 0.4 else "")
                            for k in keys)
        state.ordered = any(k in state.unique for k in keys)
        state.sort_keys = set(keys)
        return "sort " + written + (" missing first" if rng.random() < 0.2 else "")

    def _take(self, state):
        rng = self.rng
        # Without an order in force, now and then a sort on a unique column says one.
        sort = "" if state.ordered else self.settled_order(state)
        if not state.ordered:
            return None
        made = self._taken(state)
        return sort + made

    def _taken(self, state):
        rng = self.rng
        verb = rng.choice(["take", "take_last"])
        n = rng.choice([0, 1, 2, 3])
        by = ""
        groups = [c for c in ("g", "f") if c in state.columns]
        if groups and rng.random() < 0.4:
            by = " by " + _column(rng.choice(groups))
        if verb == "take" and rng.random() < 0.3:
            # A range of rows, which may start or end past the last row of a table or group.
            first = rng.choice([1, 2, 3, 5])
            return "take rows %d to %d%s" % (first, first + rng.choice([0, 1, 2]), by)
        ties = " with ties" if rng.random() < 0.3 else ""
        return "%s %d%s%s" % (verb, n, by, ties)

    def _window(self, state):
        rng = self.rng
        numbers = state.of_type("number")
        name = state.new_name()
        choice = rng.randrange(5)
        if choice == 0 and numbers:
            value = "rank(%s%s)" % (_column(rng.choice(numbers)),
                                    " descending" if rng.random() < 0.5 else "")
        elif not state.ordered:
            return None
        elif choice == 1 and numbers:
            value = "running_total(%s)" % _column(rng.choice(numbers))
        elif choice == 2:
            value = "%s(%s%s)" % (rng.choice(["previous", "following"]),
                                  _column(rng.choice(list(state.columns))),
                                  rng.choice(["", ", 2"]))
        elif choice == 3 and numbers:
            value = "rolling(%s(%s), %d)" % (rng.choice(["total", "average", "largest"]),
                                             _column(rng.choice(numbers)), rng.choice([2, 3]))
        else:
            value = "row_number()"
        state.columns[name] = "number" if not value.startswith(("previous", "following")) \
            else state.columns[value[value.index("[") + 1:value.index("]")]]
        groups = [c for c in ("g",) if c in state.columns]
        by = " by [g]" if groups and rng.random() < 0.4 else ""
        return "add %s as %s%s" % (_column(name), value, by)

    def _rename(self, state):
        rng = self.rng
        old = rng.choice(list(state.columns))
        new = state.new_name()
        state.columns = {(new if n == old else n): t for n, t in state.columns.items()}
        if old in state.sort_keys:
            state.ordered = False  # renaming a sort key clears the order in force
        if old in state.unique:
            state.unique = (state.unique - {old}) | {new}
        if old in state.divisors:
            state.divisors = (state.divisors - {old}) | {new}
        return "rename %s as %s" % (_column(new), _column(old))

    def _fill_missing(self, state):
        rng = self.rng
        name = rng.choice(list(state.columns))
        kind = state.columns[name]
        filler = {"number": "0", "text": '"none"', "truth": "no",
                  "date": 'to_date("2024-01-01")'}.get(kind)
        if filler is None:
            return None
        if name in state.sort_keys:
            state.ordered = False  # new values in a sort key clear the order in force
        state.unique.discard(name)  # the filler may be a value the column already holds
        return "fill_missing %s as %s" % (_column(name), filler)

    def _drop_missing(self, state):
        rng = self.rng
        if rng.random() < 0.5:
            return "drop_missing"
        return "drop_missing " + _column(rng.choice(list(state.columns)))

    def _drop_duplicates(self, state):
        state.ordered = False
        return "drop_duplicates"

    def _join(self, state):
        rng = self.rng
        if state.columns.get("id") != "number" or "z" in state.columns:
            return None
        if any(n in state.columns for n in ("g",)) and state.columns.get("g") != "text":
            return None
        keys = ["id"] + (["g"] if "g" in state.columns and rng.random() < 0.3 else [])
        unmatched = rng.choice(["", ' unmatched "none"', ' unmatched "both"', ' unmatched "this"'])
        for name in ("g",):
            if name not in state.columns or name in keys:
                continue
            return None  # p's g would cross over under a name this table holds
        state.columns["z"] = "number"
        if "g" not in state.columns:
            state.columns["g"] = "text"
        state.unique = set()
        state.ordered = False
        join = "join %s by [%s]%s" % (state.other, ", ".join(keys), unmatched)
        if rng.random() < 0.4:
            # A keep that asks the other table's column beside this table's: a target may ask
            # that part of the other table before joining.
            join += " then keep where [z] %s %d and %s" % (
                rng.choice([">", "<", "is not"]), rng.randint(-2, 2), self.condition(state, 1))
        return join

    def _add_rows(self, state):
        if set(state.columns) != {"id", "g", "z"}:
            return None
        state.unique = set()
        state.ordered = False
        return "add_rows " + state.other

    def _matching(self, state):
        if state.columns.get("id") != "number":
            return None
        rng = self.rng
        word = rng.choice(["", "not "])
        # Now and then only some of the other table's rows are partners; its g and z may be
        # missing, so the question may be.
        partners = rng.choice(["", "", ', where [z] > 0', ', where [g] in {"a", "b"}',
                               ', where not ([z] < 1 and [g] is "c")'])
        return "keep where %smatching(%s, by [id]%s)" % (word, state.other, partners)

    def _lengthen(self, state):
        rng = self.rng
        numbers = [n for n in state.of_type("number") if n not in state.unique]
        if len(numbers) < 2:
            return None
        stacked = rng.sample(numbers, 2)
        for n in stacked:
            del state.columns[n]
        names = state.new_name(), state.new_name()
        state.columns[names[0]] = "text"
        state.columns[names[1]] = "number"
        state.unique = set()
        state.ordered = False
        return "lengthen [%s] as name [%s], value [%s]" % (", ".join(stacked), names[0], names[1])

    def _widen(self, state):
        rng = self.rng
        if state.columns.get("g") != "text":
            return None
        numbers = state.of_type("number")
        order_before = state.ordered, state.sort_keys
        sort = self.settled_order(state)
        kind, read = "number", set()
        draw = rng.random()
        if state.reads_in_order() and rng.random() < 0.4 and len(state.columns) > 1:
            value, kind = self.ordered_aggregate(state, [n for n in state.columns if n != "g"])
            read = {value[value.index("[") + 1:value.index("]")]}
        elif draw < 0.2:
            value = "row_count()"  # a cell no row fills holds 0
        elif draw < 0.35:
            counted = rng.choice([n for n in state.columns if n != "g"] or ["g"])
            if counted == "g":
                state.ordered, state.sort_keys = order_before  # the sort is not written either
                return None
            value, read = "unique_count(%s)" % _column(counted), {counted}
        elif numbers:
            value_column = rng.choice(numbers)
            value = "total(%s)" % _column(value_column) if rng.random() < 0.7 \
                else _column(value_column)
            read = {value_column}
        else:
            state.ordered, state.sort_keys = order_before
            return None
        others = [n for n in state.columns if n != "g" and n not in read]
        if not others:
            state.ordered, state.sort_keys = order_before
            return None  # nothing would say which rows go together: the checker refuses it
        by = [n for n in others if n in ("f",)]
        if value.startswith("[") and not by:
            state.ordered, state.sort_keys = order_before
            return None
        # Without `giving` the columns it makes depend on the data, which a sentence drawn
        # before the data cannot follow; and Spark cannot write it.
        missing = ""
        if rng.random() < 0.4:
            missing = {"number": " missing 0", "text": ' missing "none"'}.get(kind, "")
        # A missing name fails the widen's guard on every engine; now and then such rows are
        # left out first, so that the cells themselves are compared.
        sort += "drop_missing [g] then " if rng.random() < 0.5 else ""
        text = sort + "widen name [g], value %s%s%s giving [a, b, c]" % (
            value, " by [" + ", ".join(by) + "]" if by else "", missing)
        state.columns = {n: state.columns[n] for n in by}
        for g in GROUPS:
            state.columns[g] = kind
        state.unique = set(by[:1]) if len(by) == 1 else set()
        state.ordered = False
        return text

    def _add_combinations(self, state):
        groups = [n for n in ("g", "f") if n in state.columns]
        if len(groups) < 2:
            return None
        state.unique = set()
        state.ordered = False
        return "add_combinations [%s]" % ", ".join(groups)

    # The sentence ------------------------------------------------------------------------------

    def sentence(self, steps, other):
        state = SentenceState(other)
        words = ["t"] + [self.step(state) for _ in range(steps)]
        return " then ".join(words), state


def make_example(seed, steps=None):
    """One reproducible example: the tables, the sentence, and whether its rows come in an order
    the sentence settles (a sort on a unique column as the last word on order)."""
    rng = random.Random(seed)
    tables = make_tables(rng)
    maker = SentenceMaker(rng)
    sentence, state = maker.sentence(steps if steps is not None else rng.randint(1, 4),
                                     other_table_name(tables))
    return {"seed": seed, "tables": tables, "sentence": sentence, "ordered": state.ordered}
