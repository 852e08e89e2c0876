"""The compiler's refusal and notes as the editor's diagnostics, and the rewrite a refusal offers
as a quick fix. A refusal says what to write instead in one of two ways: a word another language
uses, or a form written another way, gets the whole sentence rewritten ("This grammar says
`keep where`: `sales then keep where ...`"), and a name close to a known one gets "Did you mean
`...`?". The rewritten sentence has its line breaks
laid flat, so the fix changes only the stretch where it differs from the document."""

from __future__ import annotations

import re
from typing import List, Optional, Tuple

from lsprotocol import types

from .positions import Positions
from .steps import Answer, Message
from .tables import Project

SOURCE = "brell"
# The sentence rewritten, quoted at the end of the message or of one of its sentences.
_REWRITTEN = re.compile(r": `([^`]+)`(?:\. |$)")
_DID_YOU_MEAN = re.compile(r"Did you mean `([^`]+)`\?")
_FLAT = str.maketrans("\n\r\t", "   ")


def _span(message: Message, text: str) -> Tuple[int, int]:
    """Where a message stands; one without a place stands at the end, where the sentence
    stopped (an incomplete sentence's usual refusal)."""
    _kind, _text, start, end, _drawn = message
    if start is None or end is None:
        return len(text), len(text)
    return start, end


def rewrite(message: Message, text: str) -> Optional[Tuple[int, int, str]]:
    """The edit the refusal offers: (first character, one past the last, the new text)."""
    flat = text.translate(_FLAT)
    # A rewritten sentence starts where the document's does; a quoted hint (`take 10`) does not.
    whole = [
        found.group(1)
        for found in _REWRITTEN.finditer(message[1])
        if flat.split()[:1] == found.group(1).split()[:1]
    ]
    if whole:
        rewritten = whole[-1]
        lead = len(flat) - len(flat.lstrip())
        trimmed = flat.strip()
        same = 0
        while same < min(len(trimmed), len(rewritten)) and trimmed[same] == rewritten[same]:
            same += 1
        tail = 0
        while (
            tail < min(len(trimmed), len(rewritten)) - same
            and trimmed[-1 - tail] == rewritten[-1 - tail]
        ):
            tail += 1
        return lead + same, lead + len(trimmed) - tail, rewritten[same : len(rewritten) - tail]
    near = _DID_YOU_MEAN.search(message[1])
    if near and message[2] is not None:
        start, end = _span(message, text)
        written = text[start:end]
        if written.startswith("[") and written.endswith("]") and not near.group(1).startswith("["):
            return start, end, "[" + near.group(1) + "]"
        return start, end, near.group(1)
    return None


def _diagnostic(message: Message, severity, text: str, positions: Positions) -> types.Diagnostic:
    kind, said, _start, _end, _drawn = message
    start, end = _span(message, text)
    data = None
    edit = rewrite(message, text) if severity == types.DiagnosticSeverity.Error else None
    if edit is not None:
        data = {
            "range": _as_json(positions.range(edit[0], edit[1])),
            "newText": edit[2],
        }
    return types.Diagnostic(
        range=positions.range(start, end),
        message=said,
        severity=severity,
        source=SOURCE,
        code=kind,
        data=data,
    )


def _as_json(range_: types.Range) -> dict:
    return {
        "start": {"line": range_.start.line, "character": range_.start.character},
        "end": {"line": range_.end.line, "character": range_.end.character},
    }


def of_sentence(
    answer: Answer, project: Project, text: str, positions: Positions
) -> List[types.Diagnostic]:
    found = []
    if answer.refusal is not None:
        found.append(_diagnostic(answer.refusal, types.DiagnosticSeverity.Error, text, positions))
    for note in answer.notes:
        found.append(_diagnostic(note, types.DiagnosticSeverity.Warning, text, positions))
    if not answer.described and answer.source:
        if project.path is None:
            said = (
                "no brell.toml in this folder or a folder above it describes the tables, so only "
                "the sentence's words are checked"
            )
        elif project.problem is not None:
            said = (
                f"{project.path} cannot be read (see its own diagnostic), so only the "
                "sentence's words are checked"
            )
        else:
            said = (
                f"no table called `{answer.source}` is described in {project.path}; describe it "
                f'under [tables]: {answer.source} = "name:type,..."'
            )
        found.append(
            types.Diagnostic(
                range=positions.range(*answer.source_span),
                message=said,
                severity=types.DiagnosticSeverity.Warning,
                source=SOURCE,
            )
        )
    return found


def of_project(project: Project) -> List[types.Diagnostic]:
    if project.problem is None:
        return []
    place = types.Position(project.problem.line, project.problem.column)
    return [
        types.Diagnostic(
            range=types.Range(place, types.Position(place.line, place.character + 1)),
            message=project.problem.message,
            severity=types.DiagnosticSeverity.Error,
            source=SOURCE,
        )
    ]


def quick_fixes(uri: str, diagnostics: List[types.Diagnostic]) -> List[types.CodeAction]:
    actions = []
    for diagnostic in diagnostics:
        data = diagnostic.data
        if diagnostic.source != SOURCE or not isinstance(data, dict) or "newText" not in data:
            continue
        start, end = data["range"]["start"], data["range"]["end"]
        edit = types.TextEdit(
            range=types.Range(
                types.Position(start["line"], start["character"]),
                types.Position(end["line"], end["character"]),
            ),
            new_text=data["newText"],
        )
        actions.append(
            types.CodeAction(
                title=(
                    f"Write `{data['newText'].strip()}`"
                    if len(data["newText"]) < 40
                    else "Write it in this grammar's words"
                ),
                kind=types.CodeActionKind.QuickFix,
                diagnostics=[diagnostic],
                is_preferred=True,
                edit=types.WorkspaceEdit(changes={uri: [edit]}),
            )
        )
    return actions
