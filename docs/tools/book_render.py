"""What each kind of marked region in the book is made of.

`<!-- brell ARGS -->` (no kind): the command `brell ARGS` and what it prints; it must succeed.
    The checker's notes, when it makes any, are shown after the program.
`<!-- brell:refusal ARGS -->`: the command and the refusal it prints; it must be refused.
`<!-- brell:usage ARGS -->`: the command and the usage error it prints, without the help text after it.
`<!-- brell:targets ARGS -->`: the command, the program every target writes for it (SQL shown, the
    others folded), and the rows it gives on DuckDB.
`<!-- brell:rows ARGS -->`: the rows the sentence gives, from DuckDB running `brell --as sql ARGS`
    on the tables in docs/data.
`<!-- brell:tour ARGS -->`: the command, the rows it gives and its text drawing.
`<!-- brell:svg FILE ARGS -->`: writes `brell --draw svg ARGS` to FILE (beside the page) and shows it.
`<!-- brell:project FOLDER ARGS -->`: docs/FOLDER/brell.toml and the .brell files ARGS names, then
    the command `brell ARGS` and what it prints, run in that folder; it must succeed.
`<!-- brell:compare ... -->`: operations side by side. Each line that starts at the margin names
    an operation; the indented lines under it, `sql: ...`, `dplyr: ...`, `pandas: ...` and
    `brell: SENTENCE`, are written by hand. Renders one table of them all, and under it, folded,
    the rows each sentence gives on DuckDB, every example table described under its name.
`<!-- brell:table NAME -->`: the example table NAME from docs/data, with its column types.
`<!-- brell:variables -->`: shell variables holding each example table's `--columns` list.
`<!-- brell:help -->`: the help text.
`<!-- brell:seats -->`: where each kind of function may stand, from `--seats`.
`<!-- brell:words KIND -->`: every word `--vocabulary` tags with KIND (verb, aggregate, scalar,
    window, word), in its order.
`<!-- brell:verbs WORD... -->`, `<!-- brell:functions WORD... -->`: this page is the reference of
    these verbs or functions; shows their kinds. Every verb and function the program knows must
    have exactly one such page, and every word named must be one the program knows.
`<!-- brell:index verbs|functions -->`: every verb or function, with a link to its page.

In ARGS, `$NAME` stands for the `--columns` list of the example table `name` (so `$SALES` for
docs/data/sales.csv), as the shell variables of `<!-- brell:variables -->` do.
"""

import os
import pathlib
import re
import shlex
import subprocess

from concurrent.futures import ThreadPoolExecutor

import book_data

LANGUAGE = {"sql": "sql", "spark": "sql", "dplyr": "r", "pandas": "python", "polars": "python", "pyspark": "python", "brell": "text"}
TARGETS = [("sql", "SQL (DuckDB)"), ("spark", "Spark SQL"), ("dplyr", "R with dplyr"), ("pandas", "pandas"), ("polars", "polars"), ("pyspark", "PySpark")]
KINDS = ["verb", "aggregate", "scalar", "window", "word"]


class BookError(SystemExit):
    pass


def fence(text, language=""):
    text = text.rstrip("\n")
    ticks = "```"
    while ticks in text:
        ticks += "`"
    return f"{ticks}{language}\n{text}\n{ticks}\n"


class Renderer:
    def __init__(self, brell, docs):
        self.brell = str(pathlib.Path(brell).resolve())
        self.docs = docs
        self.tables = book_data.read_tables(docs / "data")
        self.engine = None
        self.cache = {}
        self.drawings = {}
        self.pages_of = {}  # word -> page that is its reference
        self.vocabulary = self._vocabulary()

    # -- running the program --------------------------------------------------------------------

    def run(self, arguments):
        key = tuple(arguments)
        if key not in self.cache:
            done = subprocess.run([self.brell, *arguments], capture_output=True, text=True, timeout=30)
            self.cache[key] = (done.returncode, done.stdout, done.stderr)
        return self.cache[key]

    def prefetch(self, regions):
        """Runs, two at a time, every command the given (kind, arguments, where) regions will ask
        for, so that rendering them reads finished results."""
        commands = []
        for kind, text, where in regions:
            if kind == "svg":
                text = text.partition(" ")[2]
            if kind not in ("run", "refusal", "usage", "targets", "rows", "tour", "svg"):
                continue
            arguments = self.arguments(text, where)
            extra = {
                "targets": [["--as", backend] for backend, _ in TARGETS],
                "rows": [["--as", "sql"]],
                "tour": [["--as", "sql"], ["--draw", "text"]],
                "svg": [["--draw", "svg"]],
            }.get(kind, [[]])
            commands.extend([*arguments, *more] for more in extra)
        with ThreadPoolExecutor(max_workers=2) as pool:
            list(pool.map(self.run, commands))

    def arguments(self, text, where):
        try:
            words = shlex.split(text)
        except ValueError as error:
            raise BookError(f"book: {where}: the arguments do not read as a command line: {error}")
        expanded = []
        for word in words:
            for name, table in sorted(self.tables.items(), key=lambda item: -len(item[0])):
                word = word.replace(f"${name.upper()}", table.columns_list())
            unknown = re.search(r"\$[A-Z_]+", word)
            if unknown:
                raise BookError(f"book: {where}: `{unknown.group(0)}` names no example table in docs/data")
            expanded.append(word)
        return expanded

    @property
    def runs(self):
        return len(self.cache)

    def succeed(self, arguments, where):
        status, out, err = self.run(arguments)
        if status != 0:
            raise BookError(f"book: {where}: `brell {shlex.join(arguments)}` was meant to succeed and exited {status}:\n{err}")
        return out, err

    def _vocabulary(self):
        out, _ = self.succeed(["--vocabulary"], "--vocabulary")
        words = []
        for line in out.splitlines():
            kind, _, word = line.partition("\t")
            words.append((kind, word))
        return words

    # -- declarations, read before any page is rendered -------------------------------------------

    def declare(self, kind, text, page):
        if kind not in ("verbs", "functions"):
            return
        known = {word: k for k, word in self.vocabulary if (k == "verb") == (kind == "verbs") and k != "word"}
        for word in text.split():
            if word not in known:
                raise BookError(f"book: {page}: `{word}` is not a {kind[:-1]} the program knows (see `brell --vocabulary`)")
            if word in self.pages_of:
                raise BookError(f"book: `{word}` has two reference pages: {self.pages_of[word]} and {page}")
            self.pages_of[word] = page

    def check_coverage(self):
        missing = [word for kind, word in self.vocabulary if kind != "word" and word not in self.pages_of]
        if missing:
            raise BookError(f"book: no reference page declares {', '.join(missing)}; add them to a page with `<!-- brell:verbs ... -->` or `<!-- brell:functions ... -->`")

    # -- the kinds of region ----------------------------------------------------------------------

    def render(self, kind, text, page, where):
        method = getattr(self, f"render_{kind}", None)
        if method is None:
            raise BookError(f"book: {where}: there is no kind of region called `{kind}`")
        return method(text, page, where)

    def command(self, text):
        return fence("brell " + " \\\n    ".join(line.strip() for line in text.strip().splitlines()), "sh")

    def render_run(self, text, page, where):
        arguments = self.arguments(text, where)
        out, err = self.succeed(arguments, where)
        language = "text"
        if "--draw" not in arguments and not any(a in ("--help", "-h", "--vocabulary", "--seats", "--needs") for a in arguments):
            backend = arguments[arguments.index("--as") + 1] if "--as" in arguments else "sql"
            language = LANGUAGE.get(backend, "text")
        body = self.command(text) + "\n" + fence(out, language)
        if err:
            body += "\nand on standard error, the checker's note:\n\n" + fence(err, "text")
        return body

    def render_refusal(self, text, page, where):
        arguments = self.arguments(text, where)
        status, out, err = self.run(arguments)
        if status != 2:
            raise BookError(f"book: {where}: `brell {shlex.join(arguments)}` was meant to be refused and exited {status}")
        return self.command(text) + "\n" + fence(err, "text")

    def render_usage(self, text, page, where):
        arguments = self.arguments(text, where)
        status, out, err = self.run(arguments)
        if status != 1:
            raise BookError(f"book: {where}: `brell {shlex.join(arguments)}` was meant to be a usage error and exited {status}")
        return self.command(text) + "\n" + fence(err.split("\n\n")[0] + "\n\n(and the help text)", "text")

    def render_targets(self, text, page, where):
        arguments = self.arguments(text, where)
        body = [self.command(text)]
        notes = None
        for backend, title in TARGETS:
            out, err = self.succeed([*arguments, "--as", backend], where)
            notes = notes or err
            block = fence(out, LANGUAGE[backend])
            if backend == "sql":
                body.append(f"{title}, the default (`--as sql`):\n\n{block}")
            else:
                body.append(f"<details><summary>{title} (<code>--as {backend}</code>)</summary>\n\n{block}\n</details>\n")
        if notes:
            body.append("The checker's note, on standard error:\n\n" + fence(notes, "text"))
        body.append("The rows it gives, on DuckDB:\n\n" + self.rows(arguments, where))
        return "\n".join(body)

    def rows(self, arguments, where):
        if "--as" in arguments or "--draw" in arguments:
            raise BookError(f"book: {where}: rows are the rows of the SQL; leave `--as` and `--draw` out")
        out, _ = self.succeed([*arguments, "--as", "sql"], where)
        if self.engine is None:
            self.engine = book_data.Engine(self.tables)
        try:
            names, rows = self.engine.rows(out)
        except Exception as error:  # the engine's own error types
            raise BookError(f"book: {where}: DuckDB refused the SQL:\n{out}\n{error}")
        return book_data.markdown_table(names, rows) + "\n"

    def render_rows(self, text, page, where):
        return self.rows(self.arguments(text, where), where)

    def render_tour(self, text, page, where):
        arguments = self.arguments(text, where)
        rows = self.rows(arguments, where)
        drawing, _ = self.succeed([*arguments, "--draw", "text"], where)
        return f"{self.command(text)}\n{rows}\n{fence(drawing, 'text')}"

    def render_svg(self, text, page, where):
        file, _, rest = text.partition(" ")
        arguments = self.arguments(rest, where)
        out, _ = self.succeed([*arguments, "--draw", "svg"], where)
        path = (page.parent / file).resolve()
        if path.parent != (self.docs / "drawings").resolve():
            raise BookError(f"book: {where}: drawings are kept in docs/drawings")
        if path in self.drawings:
            raise BookError(f"book: {where}: {file} is drawn twice")
        self.drawings[path] = out
        sentence = [a for a in arguments if not a.startswith("-")][-1]
        return f"{self.command(rest)}\n![The drawing of `{sentence}`]({file})\n"

    def render_project(self, text, page, where):
        folder_name, _, rest = text.strip().partition(" ")
        folder = self.docs / folder_name
        arguments = self.arguments(rest, where)
        done = subprocess.run([self.brell, *arguments], cwd=folder, capture_output=True, text=True, timeout=30)
        if done.returncode != 0:
            raise BookError(f"book: {where}: `brell {shlex.join(arguments)}` in docs/{folder_name} was meant to succeed and exited {done.returncode}:\n{done.stderr}")
        files = [folder / "brell.toml", *(folder / a for a in arguments if a.endswith(".brell"))]
        body = [f"`{p.name}`:\n\n" + fence(p.read_text(encoding="utf-8"), "toml" if p.suffix == ".toml" else "text") for p in files]
        backend = arguments[arguments.index("--as") + 1] if "--as" in arguments else "sql"
        body.append(self.command(rest) + "\n" + fence(done.stdout, LANGUAGE.get(backend, "text")))
        return "\n".join(body)

    COMPARED = ("sql", "dplyr", "pandas", "brell")

    def compared_operations(self, text, where):
        """The operations of a `compare` region: (what, {language: text}) in written order."""
        operations = []
        for line in text.splitlines():
            if not line.strip():
                continue
            if not line[0].isspace():
                operations.append((line.strip(), {}))
                continue
            language, colon, written = line.strip().partition(":")
            if not operations or not colon or language not in self.COMPARED:
                raise BookError(f"book: {where}: expected an operation, or `sql:`, `dplyr:`, `pandas:` or `brell:` under one: {line.strip()}")
            if "`" in written:
                raise BookError(f"book: {where}: a backtick would end the cell's code early: {line.strip()}")
            operations[-1][1][language] = written.strip()
        for what, written in operations:
            missing = [language for language in self.COMPARED if language not in written]
            if missing:
                raise BookError(f"book: {where}: `{what}` has no {', '.join(missing)}")
        return operations

    def render_compare(self, text, page, where):
        described = [word for name, table in sorted(self.tables.items()) for word in ("--columns", f"{name}={table.columns_list()}")]
        cell = lambda code: "`" + code.replace("|", "\\|") + "`"
        lines = ["| to | SQL | dplyr | pandas | brell |", "|---|---|---|---|---|"]
        rows = []
        for what, written in self.compared_operations(text, where):
            sentence = written["brell"]
            lines.append(f"| {what} | " + " | ".join(cell(written[language]) for language in self.COMPARED) + " |")
            rows.append(f"`{sentence}`\n\n" + self.rows([*described, sentence], f"{where}: {what}"))
        folded = "\n".join(rows)
        return "\n".join(lines) + f"\n\n<details><summary>The rows each brell sentence gives, on DuckDB</summary>\n\n{folded}\n</details>\n"

    def render_table(self, text, page, where):
        if text not in self.tables:
            raise BookError(f"book: {where}: there is no example table `{text}` in docs/data")
        return book_data.table_as_markdown(self.tables[text]) + "\n"

    def render_variables(self, text, page, where):
        lines = [f"{name.upper()}='{table.columns_list()}'" for name, table in sorted(self.tables.items())]
        return fence("\n".join(lines), "sh")

    def render_help(self, text, page, where):
        out, _ = self.succeed(["--help"], where)
        return fence(out, "text")

    def render_seats(self, text, page, where):
        out, _ = self.succeed(["--seats"], where)
        seats, kinds, cells = [], [], {}
        for line in out.splitlines():
            seat, example, kind, verdict, note = line.split("\t")
            if (seat, example) not in seats:
                seats.append((seat, example))
            if kind not in kinds:
                kinds.append(kind)
            cells[(seat, kind)] = verdict + (f": {note}" if note else "")
        header = "| seat | where it is | " + " | ".join(kinds) + " |"
        rule = "|---|---|" + "---|" * len(kinds)
        rows = [f"| {seat} | `{example}` | " + " | ".join(cells.get((seat, kind), "") for kind in kinds) + " |" for seat, example in seats]
        return "\n".join([header, rule, *rows]) + "\n"

    def render_words(self, text, page, where):
        if text not in KINDS:
            raise BookError(f"book: {where}: `{text}` is not a kind of word; the kinds are {', '.join(KINDS)}")
        words = [word for kind, word in self.vocabulary if kind == text]
        return ", ".join(f"`{word}`" for word in words) + "\n"

    def render_verbs(self, text, page, where):
        return ""

    def render_functions(self, text, page, where):
        kinds = dict((word, kind) for kind, word in self.vocabulary)
        return "| function | kind |\n|---|---|\n" + "".join(f"| `{word}` | {kinds[word]} |\n" for word in text.split())

    def render_index(self, text, page, where):
        if text not in ("verbs", "functions"):
            raise BookError(f"book: {where}: an index is of `verbs` or `functions`")
        lines = ["| function | kind | page |", "|---|---|---|"] if text == "functions" else ["| verb | page |", "|---|---|"]
        for kind, word in self.vocabulary:
            if (kind == "verb") != (text == "verbs") or kind == "word":
                continue
            target = self.pages_of[word]
            link = os.path.relpath(target, page.parent)
            title = self.title(target)
            if text == "functions":
                lines.append(f"| `{word}` | {kind} | [{title}]({link}) |")
            else:
                lines.append(f"| [`{word}`]({link}) | {self.summary(target)} |")
        return "\n".join(lines) + "\n"

    def summary(self, page):
        """The first sentence of the page's first paragraph, as the index's description."""
        for paragraph in page.read_text(encoding="utf-8").split("\n\n"):
            paragraph = paragraph.strip()
            if paragraph and not paragraph.startswith(("#", "<!--", "|", "```", "[", "Examples use")):
                sentence = paragraph.replace("\n", " ").split(". ")[0].rstrip(".")
                return sentence + "."
        return ""

    def title(self, page):
        """The page's first heading."""
        for line in page.read_text(encoding="utf-8").splitlines():
            if line.startswith("# "):
                return line[2:].strip()
        return page.stem
