"""`brell-lsp`: the language server over standard input and output, wiring each request of the
protocol to the module that answers it. Every answer is made from the document's text and the
nearest brell.toml, read in process; a failure inside an answer is logged and answered with
nothing, so that no text the editor sends stops the server."""

from __future__ import annotations

import asyncio
import functools
import logging
import re
import sys
from pathlib import Path
from typing import Optional

from lsprotocol import types
from pygls.lsp.server import LanguageServer
from pygls.uris import to_fs_path

from .. import __version__
from . import commands, completion, diagnostics, hover, steps, tables
from .positions import Positions

# How long the text must rest after a change before it is checked again.
DEBOUNCE_SECONDS = 0.15
_LONE_SURROGATE = re.compile("[\ud800-\udfff]")

server = LanguageServer("brell-lsp", __version__)
_pending: dict = {}  # uri -> the check waiting for the text to rest
_toml_uris: set = set()  # the project files that have had a diagnostic published


def _guarded(answer_when_failed=None):
    """Logs a failure of the handler and answers `answer_when_failed` instead."""

    def wrap(handler):
        @functools.wraps(handler)
        def guarded(*args, **kwargs):
            try:
                return handler(*args, **kwargs)
            except Exception:  # noqa: BLE001 - no text may stop the server
                logging.getLogger("brell-lsp").exception("%s failed", handler.__name__)
                return answer_when_failed

        return guarded

    return wrap


def _path(uri: str) -> Optional[Path]:
    path = to_fs_path(uri) if uri.startswith("file:") else None
    return Path(path) if path else None


def _document(uri: str):
    """The document's text (any lone surrogate, which no sentence can hold, made a replacement
    character of the same length), its positions, and its project."""
    document = server.workspace.get_text_document(uri)
    text = _LONE_SURROGATE.sub("\ufffd", document.source)
    encoding = server.workspace.position_encoding or "utf-16"
    return text, Positions(text, str(encoding)), tables.project_for(_path(uri))


def _publish(uri: str, found) -> None:
    server.text_document_publish_diagnostics(
        types.PublishDiagnosticsParams(uri=uri, diagnostics=found)
    )


@_guarded()
def _check(uri: str) -> None:
    if uri.endswith(tables._project.FILE_NAME):
        _publish_project(tables.project_for(_path(uri)))
        return
    text, positions, project = _document(uri)
    _publish_project(project)
    answer = steps.answer(text, project)
    _publish(uri, diagnostics.of_sentence(answer, project, text, positions))


def _publish_project(project: tables.Project) -> None:
    if project.path is None:
        return
    uri = project.path.resolve().as_uri()
    found = diagnostics.of_project(project)
    if found or uri in _toml_uris:
        _publish(uri, found)
        if found:
            _toml_uris.add(uri)
        else:
            _toml_uris.discard(uri)


async def _check_later(uri: str) -> None:
    await asyncio.sleep(DEBOUNCE_SECONDS)
    _pending.pop(uri, None)
    _check(uri)


@server.feature(types.TEXT_DOCUMENT_DID_OPEN)
def did_open(params: types.DidOpenTextDocumentParams) -> None:
    _check(params.text_document.uri)


@server.feature(types.TEXT_DOCUMENT_DID_CHANGE)
def did_change(params: types.DidChangeTextDocumentParams) -> None:
    uri = params.text_document.uri
    waiting = _pending.pop(uri, None)
    if waiting is not None:
        waiting.cancel()
    _pending[uri] = asyncio.ensure_future(_check_later(uri))


@server.feature(types.TEXT_DOCUMENT_DID_SAVE)
def did_save(params: types.DidSaveTextDocumentParams) -> None:
    _check(params.text_document.uri)


@server.feature(types.TEXT_DOCUMENT_DID_CLOSE)
def did_close(params: types.DidCloseTextDocumentParams) -> None:
    waiting = _pending.pop(params.text_document.uri, None)
    if waiting is not None:
        waiting.cancel()
    _publish(params.text_document.uri, [])


@server.feature(types.WORKSPACE_DID_CHANGE_WATCHED_FILES)
def did_change_watched_files(params: types.DidChangeWatchedFilesParams) -> None:
    for document in list(server.workspace.text_documents):
        _check(document)


@server.feature(
    types.TEXT_DOCUMENT_COMPLETION,
    types.CompletionOptions(trigger_characters=["[", " ", ","]),
)
@_guarded(answer_when_failed=[])
def complete(params: types.CompletionParams):
    text, positions, project = _document(params.text_document.uri)
    return completion.complete(text, positions.offset(params.position), project)


@server.feature(types.TEXT_DOCUMENT_HOVER)
@_guarded()
def hover_at(params: types.HoverParams) -> Optional[types.Hover]:
    text, positions, project = _document(params.text_document.uri)
    found = hover.hover(text, positions.offset(params.position), project)
    if found is None:
        return None
    said, start, end = found
    return types.Hover(
        contents=types.MarkupContent(kind=types.MarkupKind.Markdown, value=said),
        range=positions.range(start, end),
    )


@server.feature(types.TEXT_DOCUMENT_FORMATTING)
@_guarded()
def format_document(params: types.DocumentFormattingParams):
    """The sentence in the canonical writer's words; nothing when it does not check."""
    text, positions, project = _document(params.text_document.uri)
    answer = steps.answer(text, project)
    if answer.refusal is not None or not answer.described:
        return None
    written = commands.show(text, project, "brell")
    if written == text:
        return []
    return [types.TextEdit(range=positions.whole(), new_text=written)]


@server.feature(
    types.TEXT_DOCUMENT_CODE_ACTION,
    types.CodeActionOptions(code_action_kinds=[types.CodeActionKind.QuickFix]),
)
@_guarded(answer_when_failed=[])
def code_actions(params: types.CodeActionParams):
    return diagnostics.quick_fixes(params.text_document.uri, params.context.diagnostics)


@server.command(commands.SHOW)
@_guarded()
def show_in(*arguments) -> Optional[str]:
    """Arguments: the document's URI, and the target (sql when none is given)."""
    text, _positions, project = _document(str(arguments[0]))
    return commands.show(text, project, str(arguments[1]) if len(arguments) > 1 else "sql")


@server.command(commands.DRAW)
@_guarded()
def draw(*arguments) -> Optional[str]:
    """Arguments: the document's URI, and the way of drawing (text when none is given)."""
    text, _positions, project = _document(str(arguments[0]))
    return commands.draw(text, project, str(arguments[1]) if len(arguments) > 1 else "text")


def serve() -> None:
    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    server.start_io()
