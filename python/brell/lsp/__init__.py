"""brell's language server, `brell-lsp`: the compiler, in process, behind an editor.

One module per job: `scan` reads the words around the cursor, `words` holds what the language
and the book say about each word, `tables` reads the nearest brell.toml, `steps` asks the
compiler for the table at every step, and `diagnostics`, `completion`, `hover` and `commands`
answer the editor; `server` wires them to the protocol.
"""
