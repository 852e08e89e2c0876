"""What the language server says about each word, read from the book's reference pages.

For a verb: the keywords its `## Grammar` block writes (every bare word of the lines that begin
with the verb, outside `<placeholders>` and quoted text), and the first sentence of its page. For a
function: its one-line meaning, the text after the first `:` of the first list item whose code
names it as `name(` (or, when no item does, the first one that mentions it at all).

The book writes these lines into python/brell/lsp/book_words.tsv, one word a line:

    verb<TAB>sort<TAB>descending missing first last<TAB>puts the rows in order by ...
    function<TAB>total<TAB>the sum, the mean, the middle value ...

so that the server, installed without the book, says what the book says, and `book.py --check`
fails when the two differ.
"""

import re

ITEM = re.compile(r"^- (.*?)(?=^- |^\S|\Z)", re.MULTILINE | re.DOTALL)
GRAMMAR = re.compile(r"^## Grammar\n+```text\n(.*?)```", re.MULTILINE | re.DOTALL)
PLACEHOLDER = re.compile(r"<[^>]*>|\"[^\"]*\"")
WORD = re.compile(r"[a-z_]+")


def first_sentence(text):
    """The text up to its first full stop that ends a sentence, the stop kept."""
    flat = " ".join(text.split())
    match = re.search(r"(?<![.])\.(?=\s|$)", flat)
    return flat[: match.start() + 1] if match else flat


def verb_keywords(page_text, verb):
    found = GRAMMAR.search(page_text)
    if not found:
        return []
    keywords = []
    for line in found.group(1).splitlines():
        words = line.split()
        if not words or words[0] != verb:
            continue
        for word in WORD.findall(PLACEHOLDER.sub(" ", line)):
            if word != verb and word not in keywords:
                keywords.append(word)
    return keywords


def function_meaning(items, function):
    """The meaning of the first item whose code writes `function(`, else of the first naming it."""
    call = re.compile(r"`[^`]*\b" + re.escape(function) + r"\(")
    named = re.compile(r"`[^`]*\b" + re.escape(function) + r"\b")
    for pattern in (call, named):
        for item in items:
            head, colon, meaning = item.partition("`: ")
            if colon and pattern.search(head + "`"):
                return first_sentence(meaning)
    return ""


def book_words(vocabulary, pages_of, read):
    """The lines of book_words.tsv: `vocabulary` is (kind, word) in the program's order,
    `pages_of` each verb's and function's reference page, `read` a page's text."""
    lines = []
    for kind, word in vocabulary:
        if kind == "word":
            continue
        text = read(pages_of[word])
        if kind == "verb":
            summary = first_sentence(text.split("\n\n")[1])
            lines.append(f"verb\t{word}\t{' '.join(verb_keywords(text, word))}\t{summary}")
            continue
        items = [item for item in ITEM.findall(text)]
        meaning = function_meaning(items, word)
        if not meaning:
            raise SystemExit(f"book: {pages_of[word]}: no list item says what `{word}` means")
        lines.append(f"function\t{word}\t{meaning}")
    return "".join(line + "\n" for line in lines)
