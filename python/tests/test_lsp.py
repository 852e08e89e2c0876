"""brell-lsp, as installed by `pip install .`, driven end to end by a real client (pytest-lsp):
one server for the whole module, documents in a folder with a brell.toml. Every answer is held
against what the package's own `compile` and `draw` say about the same text, so the tests check
the server's reading of the compiler (places, positions, columns), not copies of its output."""

from __future__ import annotations

import asyncio
import re
import sys
import time
import warnings
from pathlib import Path

import pytest
import pytest_lsp
from lsprotocol import types
from pytest_lsp import ClientServerConfig, LanguageClient

import brell

pytestmark = pytest.mark.asyncio(loop_scope="module")

SERVER = Path(sys.executable).with_name("brell-lsp")
TABLES = {
    "sales": "day:date,store:text,product:text,units:number,price:number",
    "stores": "store:text,region:text",
}
PROJECT_FILE = "[tables]\n" + "".join(f'{name} = "{columns}"\n' for name, columns in TABLES.items())

# Long sentences, each over many kinds of step; every cut of each is opened as a document.
LONG_SENTENCES = [
    'sales then keep where [units] > 2 and [store] is "York" then add [revenue] as '
    "[units] * [price] then summarize [takings] as total([revenue]), [n] as row_count() "
    "by [store] then sort [takings] descending then take 3",
    "sales then join stores by [store] then rename [amount] as [units] then lengthen "
    "[amount, price] as name [measure], value [figure] then widen name [measure], value "
    "total([figure]) by [store, region] giving [amount, price] then keep where [amount] > 2 "
    "then pick [store, region, amount]",
    '# the week\'s sales\nsales then keep where [product] is "crème brûlée" or lower([store]) '
    'starts "y"\n  then add [band] as when([units] > 3, "big", otherwise "small")\n  then '
    "sort [day] then add [so_far] as running_total([units])",
]


@pytest.fixture(scope="module")
def project(tmp_path_factory) -> Path:
    folder = tmp_path_factory.mktemp("project")
    (folder / "brell.toml").write_text(PROJECT_FILE, encoding="utf-8")
    return folder


@pytest_lsp.fixture(config=ClientServerConfig(server_command=[str(SERVER)]), scope="module")
async def client(lsp_client: LanguageClient):
    await lsp_client.initialize_session(
        types.InitializeParams(capabilities=pytest_lsp.client_capabilities("visual-studio-code"))
    )
    yield
    await lsp_client.shutdown_session()


_opened = iter(range(10**9))


async def opened(client: LanguageClient, folder: Path, text: str) -> tuple:
    """Opens `text` as a new .brell file in `folder`; its URI and the diagnostics published."""
    path = folder / f"sentence{next(_opened)}.brell"
    path.write_text(text, encoding="utf-8", errors="replace")
    uri = path.as_uri()
    client.text_document_did_open(
        types.DidOpenTextDocumentParams(types.TextDocumentItem(uri, "brell", 1, text))
    )
    return uri, await published(client, uri)


async def published(client: LanguageClient, uri: str) -> list:
    while uri not in client.diagnostics:
        await asyncio.wait_for(client.wait_for_notification("textDocument/publishDiagnostics"), 10)
    return list(client.diagnostics.pop(uri))


def offset_of(text: str, position: types.Position) -> int:
    """The character offset of a position (UTF-16 columns, as the client agreed)."""
    line_start = sum(len(line) for line in text.splitlines(keepends=True)[: position.line])
    units = 0
    for index, character in enumerate(text[line_start:]):
        if units >= position.character:
            return line_start + index
        units += 2 if ord(character) > 0xFFFF else 1
    return len(text)


def in_process(text: str, to: str = "sql"):
    """What the package says about the text: (program or None, refusal or None, each note's
    message and span); a sentence whose table is not described is only read."""
    try:
        source = brell.needs(text)[0]
        if source not in TABLES:
            return None, None, []
        with warnings.catch_warnings(record=True) as notes:
            warnings.simplefilter("always")
            program = brell.compile(text, TABLES[source], to=to, tables=TABLES)
        return program, None, [(note.message.message, note.message.span) for note in notes]
    except brell.Refusal as refusal:
        return None, refusal, []


@pytest.mark.parametrize(
    "text",
    [
        # A refusal on a second line, past a non-ASCII character and one outside the BMP.
        'sales\n  then keep where [product] is "é😀" and [units] > "many"',
        "sales then add [doubled] as [units] * 2 by [store]",  # a note
        "sales then keep where [unit] > 3",  # a refusal with a suggestion
    ],
)
async def test_diagnostics_are_the_refusal_and_the_notes_at_their_places(client, project, text):
    _uri, found = await opened(client, project, text)
    program, refusal, notes = in_process(text)
    errors = [d for d in found if d.severity == types.DiagnosticSeverity.Error]
    warned = [d for d in found if d.severity == types.DiagnosticSeverity.Warning]
    if refusal is not None:
        assert [d.message for d in errors] == [refusal.message]
        place = (offset_of(text, errors[0].range.start), offset_of(text, errors[0].range.end))
        assert place == refusal.span
    else:
        assert errors == [] and program
    places = [(offset_of(text, d.range.start), offset_of(text, d.range.end)) for d in warned]
    assert sorted(zip((d.message for d in warned), places)) == sorted(notes)


@pytest.mark.parametrize(
    "text",
    [
        "sales then filter where [units] > 3\n  then take 2",  # another language's verb
        "sales then keep where [units] > 3 then order by [day]",
        'sales then keep where [prodcut] is "tea"',  # a column's name mistyped
        "sales then summarize [n] as row_count()\n  by [store], [product]",  # two brackets for one
    ],
)
async def test_a_quick_fix_writes_what_the_refusal_offers(client, project, text):
    uri, found = await opened(client, project, text)
    actions = await client.text_document_code_action_async(
        types.CodeActionParams(
            types.TextDocumentIdentifier(uri),
            found[0].range,
            types.CodeActionContext(diagnostics=found),
        )
    )
    assert len(actions) == 1 and actions[0].kind == types.CodeActionKind.QuickFix
    (edit,) = actions[0].edit.changes[uri]
    fixed = (
        text[: offset_of(text, edit.range.start)]
        + edit.new_text
        + text[offset_of(text, edit.range.end) :]
    )
    assert in_process(fixed)[1] is None, fixed
    assert fixed.count("\n") == text.count("\n")  # the rest of the document is left as it was


# (text with `|` for the cursor, labels that must be offered, labels that must not)
COMPLETIONS = [
    ("sales then |", ["keep", "summarize", "widen"], ["total", "[units]"]),
    ("sales then keep where |", ["lower", "between", "[units]", "then"], ["total", "rank"]),
    ("sales then summarize [n] as |", ["total", "row_count", "by"], ["lower", "rank"]),
    ("sales then summarize [n] as total(|", ["lower", "[units]"], ["rank"]),
    ("sales then sort [day] then add [k] as |", ["rank", "total", "lower"], []),
    ("sales then sort [units] |", ["descending", "missing"], []),
    ("sales then join |", ["stores"], ["sales then"]),
    ('sales then keep where [store] is "Yo|', [], ["keep", "[units]"]),
]
# After each kind of step that changes the columns: the column the cursor's bracket is offered
# (with its type) and one the step took away.
AFTER_STEPS = [
    ("sales then rename [amount] as [units] then pick [|", ("amount", "number"), "units"),
    ("sales then add [revenue] as [units] * [price] then pick [|", ("revenue", "number"), None),
    ("sales then pick [store, units] then sort [|", ("units", "number"), "price"),
    (
        "sales then summarize [n] as row_count() by [store] then keep where [|",
        ("n", "number"),
        "day",
    ),
    (
        "sales then lengthen [units, price] as name [measure], value [figure] then keep where [|",
        ("measure", "text"),
        "units",
    ),
    (
        "sales then pick [store, product, units] then widen name [product], value [units] "
        "then keep where [|",
        ("store", "text"),
        "product",
    ),
    ("sales then join stores by [store] then keep where [|", ("region", "text"), None),
]


async def completed(client, project, marked: str) -> dict:
    text = marked.replace("|", "")
    uri, _found = await opened(client, project, text)
    cursor = marked.index("|")
    line = text[:cursor].count("\n")
    column = cursor - (text.rfind("\n", 0, cursor) + 1)
    answer = await client.text_document_completion_async(
        types.CompletionParams(types.TextDocumentIdentifier(uri), types.Position(line, column))
    )
    items = answer.items if isinstance(answer, types.CompletionList) else answer
    return {item.insert_text or item.label: item for item in items}


@pytest.mark.parametrize("marked, offered, not_offered", COMPLETIONS)
async def test_completion_offers_what_the_seat_allows(
    client, project, marked, offered, not_offered
):
    items = await completed(client, project, marked)
    assert [label for label in offered if label not in items] == []
    assert [label for label in not_offered if label in items] == []
    for label, item in items.items():
        if item.kind == types.CompletionItemKind.Function:
            assert item.documentation, f"{label} has no meaning from the book"


@pytest.mark.parametrize("marked, column, taken_away", AFTER_STEPS)
async def test_completion_offers_the_columns_of_the_table_at_the_step(
    client, project, marked, column, taken_away
):
    items = await completed(client, project, marked)
    name, type_word = column
    assert name in items and items[name].detail == type_word
    assert taken_away is None or taken_away not in items


async def test_hover_shows_a_steps_columns_and_a_functions_meaning(client, project):
    text = "sales then summarize [takings] as total([units]) by [store] then sort [store]"
    uri, _found = await opened(client, project, text)

    async def hovered(offset):
        found = await client.text_document_hover_async(
            types.HoverParams(types.TextDocumentIdentifier(uri), types.Position(0, offset))
        )
        return found.contents.value

    step = await hovered(text.index("by"))
    assert "`takings` | number" in step and "`store` | text" in step and "units" not in step
    function = await hovered(text.index("total") + 2)
    assert function.startswith("`total` (aggregate): ") and len(function) > 30


async def test_formatting_writes_the_canonical_sentence(client, project):
    text = "sales   then keep where [units]>2\nthen  take 3"
    uri, _found = await opened(client, project, text)
    edits = await client.text_document_formatting_async(
        types.DocumentFormattingParams(
            types.TextDocumentIdentifier(uri), types.FormattingOptions(4, True)
        )
    )
    assert [edit.new_text for edit in edits] == [in_process(text, to="brell")[0]]


async def test_the_commands_show_every_target_and_the_drawing(client, project):
    text = "sales then keep where [units] > 2 then summarize [n] as row_count() by [store]"
    uri, _found = await opened(client, project, text)
    for target in [backend for backend in brell.backends() if backend != "brell"]:
        shown = await client.workspace_execute_command_async(
            types.ExecuteCommandParams("brell.show", [uri, target])
        )
        assert shown == in_process(text, to=target)[0]
    drawn = await client.workspace_execute_command_async(
        types.ExecuteCommandParams("brell.draw", [uri, "text"])
    )
    assert drawn == str(brell.draw(text, TABLES["sales"], way="text", tables=TABLES))


@pytest.mark.parametrize(
    "project_file, line",
    [
        ('[tables]\nsales = "units:number"\nstores = "store:text\n', 2),  # not TOML
        ('[tables]\nsales = "units:number"\nstores = "store:text,store:number"\n', 2),  # a bad list
    ],
)
async def test_a_malformed_project_file_is_a_diagnostic_on_it(client, tmp_path, project_file, line):
    (tmp_path / "brell.toml").write_text(project_file, encoding="utf-8")
    toml_uri = (tmp_path / "brell.toml").resolve().as_uri()
    client.diagnostics.pop(toml_uri, None)
    uri, found = await opened(client, tmp_path, "sales then keep where [units] > 2 then take")
    (problem,) = await published(client, toml_uri)
    assert problem.range.start.line == line and problem.severity == types.DiagnosticSeverity.Error
    # The sentence's own words are still checked, and the server goes on answering.
    assert any(d.severity == types.DiagnosticSeverity.Error for d in found)
    assert (await completed(client, tmp_path, "sales then |"))["keep"]
    # Mended, the file's diagnostic is taken away and the tables are read.
    (tmp_path / "brell.toml").write_text(PROJECT_FILE, encoding="utf-8")
    client.diagnostics.pop(toml_uri, None)
    client.text_document_did_save(
        types.DidSaveTextDocumentParams(types.TextDocumentIdentifier(uri))
    )
    assert await published(client, toml_uri) == []
    assert "[price]" in await completed(client, tmp_path, "sales then keep where |")


@pytest.mark.parametrize("sentence", LONG_SENTENCES)
async def test_every_cut_of_a_long_sentence_is_answered(client, project, sentence):
    assert in_process(sentence)[1] is None
    cuts = sorted(
        {
            index
            for index in range(1, len(sentence) + 1)
            if index == len(sentence) or not sentence[index].isalnum()
        }
    )
    for cut in cuts:
        text = sentence[:cut]
        uri, found = await opened(client, project, text)
        refused = in_process(text)[1] is not None
        errors = [d for d in found if d.severity == types.DiagnosticSeverity.Error]
        assert bool(errors) == refused, text
        if refused and errors[0].range.start == errors[0].range.end:
            assert offset_of(text, errors[0].range.start) == len(text)  # where the sentence stops
        end = types.Position(text.count("\n"), len(text) - text.rfind("\n") - 1)
        await client.text_document_completion_async(
            types.CompletionParams(types.TextDocumentIdentifier(uri), end)
        )
        await client.text_document_hover_async(
            types.HoverParams(types.TextDocumentIdentifier(uri), end)
        )


@pytest.mark.parametrize(
    "text",
    [
        "",
        " \n\t",
        "\x00",
        "[",
        '"',
        "#",
        "sales then keep where ((((",
        "😀😀",
        "sales\r\nthen take 1\r",
        "sales then keep where [units] > 1 then \ud800",
        "sales then rename [a] as [a] then pick [a] then [",
    ],
)
async def test_any_text_is_answered(client, project, text):
    uri, found = await opened(client, project, text)
    assert all(d.range.start.line <= text.count("\n") + text.count("\r") for d in found)
    everywhere = {0, len(text) // 2, len(text)}
    for offset in everywhere:
        before = text[:offset]
        place = types.Position(
            len(re.split("\r\n|\r|\n", before)) - 1, len(re.split("\r\n|\r|\n", before)[-1])
        )
        await client.text_document_completion_async(
            types.CompletionParams(types.TextDocumentIdentifier(uri), place)
        )
        await client.text_document_hover_async(
            types.HoverParams(types.TextDocumentIdentifier(uri), place)
        )
    await client.text_document_formatting_async(
        types.DocumentFormattingParams(
            types.TextDocumentIdentifier(uri), types.FormattingOptions(4, True)
        )
    )
    assert client.error is None


async def test_changes_are_checked_once_the_typing_rests_and_quickly(client, project):
    sentence = " then ".join(
        ["sales"] + [f"add [c{i}] as [units] * {i} + [price]" for i in range(60)]
    )
    uri, found = await opened(client, project, "sales then")
    assert found
    for version, cut in enumerate(range(len(sentence) - 40, len(sentence) + 1, 8), start=2):
        client.text_document_did_change(
            types.DidChangeTextDocumentParams(
                types.VersionedTextDocumentIdentifier(version=version, uri=uri),
                [types.TextDocumentContentChangeWholeDocument(sentence[:cut])],
            )
        )
    assert await published(client, uri) == []  # one answer, for the last text
    assert len(sentence.split()) > 300
    started = time.perf_counter()
    for _ in range(10):
        await client.text_document_completion_async(
            types.CompletionParams(
                types.TextDocumentIdentifier(uri), types.Position(0, len(sentence) - 9)
            )
        )
    assert (time.perf_counter() - started) / 10 < 0.05
