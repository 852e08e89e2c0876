"""brell's language server, `brell-lsp`: the compiler, in process, behind an editor.

One module per job: `scan` reads the words around the cursor, `words` holds what the language
and the book say about each word, `tables` reads the nearest brell.toml, `steps` asks the
compiler for the table at every step, and `diagnostics`, `completion`, `hover` and `commands`
answer the editor; `server` wires them to the protocol.
"""

import sys


def main() -> None:
    """`brell-lsp`: serves one editor over standard input and output."""
    if sys.version_info < (3, 11):
        sys.exit("brell-lsp reads brell.toml with tomllib, which needs Python 3.11 or later")
    from .server import serve

    serve()
