#!/usr/bin/env python3
"""Regenerates every example in the book from what the build prints, or checks that none drifted.

A page of the book (any `.md` file under docs/) holds marked regions:

    <!-- brell:KIND ARGUMENTS -->
    ...generated text, rewritten on every run...
    <!-- end -->

The generated text is thrown away and made again from `build/brell` (and, for rows, from DuckDB
running the SQL it writes on the tables in docs/data). The kinds are listed in book_render.py.
The same run writes python/brell/lsp/book_words.tsv, what the language server says about each
verb and function, from the reference pages (book_words.py).

    python3 docs/tools/book.py --brell build/brell          # rewrite the pages
    python3 docs/tools/book.py --brell build/brell --check  # exit 1 when a page differs

With `--check` nothing is written: every page and drawing that would change is named with the
first lines of the difference, and the command that regenerates them is printed.

The rows come from Python's `duckdb`, pinned with the other engines in tests/engines/requirements.txt
(tests/setup.sh installs them into a virtual environment). With `--python`, the script runs itself
again under that Python when it exists. Without `duckdb` the check is skipped (exit status 77),
except when the environment variable CI is `true`, where it fails.
"""

import argparse
import difflib
import os
import pathlib
import re
import shlex
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import book_render  # noqa: E402
import book_words  # noqa: E402

REGION = re.compile(r"<!-- brell(?::([a-z]+))?((?:(?!-->).)*?)-->\n(.*?)<!-- end -->", re.DOTALL)


def find_regions(text, page="page"):
    regions = []
    for match in REGION.finditer(text):
        if "<!-- brell" in match.group(3):
            line = text.count("\n", 0, match.start()) + 1
            raise SystemExit(f"book: {page}:{line}: this region has no `<!-- end -->` before the next one begins")
        regions.append((match.group(1) or "run", match.group(2).strip(), match))
    return regions


def regenerate_page(page, text, renderer):
    pieces = []
    last = 0
    for kind, arguments, match in find_regions(text, page):
        where = f"{page}:{text.count(chr(10), 0, match.start()) + 1}"
        body = renderer.render(kind, arguments, page, where)
        pieces.append(text[last : match.start()])
        marker = "brell" + ("" if kind == "run" else ":" + kind)
        if kind == "compare":  # its operations, one a line, begin on the line after the marker
            pieces.append(f"<!-- {marker}\n{arguments}\n-->\n")
        else:
            pieces.append(f"<!-- {marker}{' ' + arguments if arguments else ''} -->\n")
        pieces.append(body.rstrip("\n") + "\n" if body else "")
        pieces.append("<!-- end -->")
        last = match.end()
    pieces.append(text[last:])
    return "".join(pieces)


LINK = re.compile(r"\]\(([^)\s]+)\)")


def slug(heading):
    """The anchor a code host gives a heading: lowercase, punctuation dropped, spaces as hyphens."""
    text = re.sub(r"[^\w\- ]", "", heading.strip().lower())
    return text.replace(" ", "-")


def broken_links(pages, outputs, drawings, docs):
    """Links between the book's pages whose file or heading does not exist."""
    anchors = {}
    for page in pages:
        text = outputs.get(page, "")
        anchors[page] = {slug(line.lstrip("#")) for line in text.splitlines() if line.startswith("#")}
    broken = []
    for page in pages:
        body = re.sub(r"```.*?```", "", outputs.get(page, ""), flags=re.DOTALL)
        for target in LINK.findall(body):
            if re.match(r"[a-z]+:", target):
                continue
            path, _, anchor = target.partition("#")
            resolved = (page.parent / path).resolve() if path else page
            if not resolved.exists() and resolved not in drawings:
                broken.append(f"{page.relative_to(docs.parent)}: the link to {target} leads to no file")
            elif anchor and resolved in anchors and anchor not in anchors[resolved]:
                broken.append(f"{page.relative_to(docs.parent)}: the link to {target} leads to no heading")
    return broken


def difference(path, old, new, limit=40):
    lines = list(difflib.unified_diff(old.splitlines(), new.splitlines(), f"{path} (in the repository)", f"{path} (as the build prints it)", lineterm="", n=1))
    shown = lines[:limit]
    if len(lines) > limit:
        shown.append(f"... and {len(lines) - limit} more lines of difference")
    return "\n".join(shown)


SKIP_STATUS = 77


def run_under(python):
    """Runs this script again under the engines' Python, once. A virtual environment's Python is
    often a link to the very interpreter running now, so the paths are not compared: the same
    binary run through the environment's path sees the environment's packages."""
    if python and os.path.exists(python) and not os.environ.get("BRELL_BOOK_REEXEC"):
        os.environ["BRELL_BOOK_REEXEC"] = "1"
        os.execv(python, [python, *sys.argv])


def duckdb_missing(check):
    try:
        import duckdb  # noqa: F401
    except ImportError:
        in_ci = os.environ.get("CI") == "true"
        print(
            f"{'MISSING' if in_ci else 'SKIPPED'}: the book's rows come from DuckDB, and this Python ({sys.executable}) "
            "has no `duckdb` module; `bash tests/setup.sh` installs the engines (tests/engines/requirements.txt)"
        )
        if not check:
            return 2
        return 1 if in_ci else SKIP_STATUS
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--brell", required=True, help="the brell executable the book shows")
    parser.add_argument("--check", action="store_true", help="change nothing; exit 1 when a page differs")
    parser.add_argument("--page", action="append", help="rewrite only this page (while writing it); skips the checks that need every page")
    parser.add_argument("--docs", default=str(pathlib.Path(__file__).resolve().parent.parent), help="the book's folder")
    parser.add_argument("--python", help="the Python whose duckdb runs the examples (the engines' virtual environment)")
    options = parser.parse_args()
    run_under(options.python)
    missing = duckdb_missing(options.check)
    if missing is not None:
        return missing

    docs = pathlib.Path(options.docs).resolve()
    pages = sorted(p for p in docs.rglob("*.md") if "tools" not in p.relative_to(docs).parts)
    texts = {page: page.read_text(encoding="utf-8") for page in pages}
    renderer = book_render.Renderer(options.brell, docs)
    planned = []
    for page, text in texts.items():
        for kind, arguments, match in find_regions(text, page):
            renderer.declare(kind, arguments, page)
            planned.append((kind, arguments, f"{page}:{text.count(chr(10), 0, match.start()) + 1}"))
    renderer.prefetch(planned)

    if options.page:
        chosen = {pathlib.Path(p).resolve() for p in options.page}
        outputs = {page: regenerate_page(page, texts[page], renderer) for page in pages if page in chosen}
        outputs.update(renderer.drawings)
        for path, new in outputs.items():
            if not path.exists() or path.read_text(encoding="utf-8") != new:
                path.write_text(new, encoding="utf-8")
                print(f"wrote {path.relative_to(docs.parent)}")
        return 0
    outputs = {page: regenerate_page(page, text, renderer) for page, text in texts.items()}
    renderer.check_coverage()
    broken = broken_links(pages, outputs, renderer.drawings, docs)
    if broken:
        print("\n".join(broken))
        return 1
    outputs.update(renderer.drawings)
    # What the language server says about each verb and function, from the reference pages.
    words_file = docs.parent / "python" / "brell" / "lsp" / "book_words.tsv"
    outputs[words_file] = book_words.book_words(renderer.vocabulary, renderer.pages_of, lambda page: outputs[page])

    changed = []
    for path, new in sorted(outputs.items()):
        old = path.read_text(encoding="utf-8") if path.exists() else ""
        if old != new:
            changed.append((path, old, new))
    drawing_dir = docs / "drawings"
    stale = sorted(p for p in drawing_dir.glob("*.svg") if p not in renderer.drawings) if drawing_dir.exists() else []

    if options.check:
        for path, old, new in changed:
            name = path.relative_to(docs.parent)
            print(f"{name} differs from what the build prints:\n{difference(name, old, new)}\n")
        for path in stale:
            print(f"{path.relative_to(docs.parent)} is drawn by no page of the book\n")
        if changed or stale:
            command = f"{shlex.quote(sys.executable)} docs/tools/book.py --brell {shlex.quote(options.brell)}"
            print(f"The book has drifted from the build. Regenerate it from the repository's root with:\n    {command}")
            return 1
        print(f"{len(pages)} pages and {len(renderer.drawings)} drawings match what the build prints ({renderer.runs} runs of brell)")
        return 0

    for path, _, new in changed:
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(new, encoding="utf-8")
        print(f"wrote {path.relative_to(docs.parent)}")
    for path in stale:
        path.unlink()
        print(f"removed {path.relative_to(docs.parent)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
