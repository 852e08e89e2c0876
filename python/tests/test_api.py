"""The package's contracts: what a refusal carries, notes as warnings, the listings, and the
errors a wrong argument meets."""

from __future__ import annotations

import pickle
import warnings

import pytest

import brell

COLUMNS = {"region": "text", "revenue": "number"}


def test_a_refusal_carries_its_message_its_place_in_characters_and_the_carets():
    # Characters before the fault take more than one byte each: the span counts characters.
    sentence = 'ventes_été then keep where [région] = "Ouest"'
    with pytest.raises(brell.Refusal) as raised:
        brell.compile(sentence, {"région": "text"})
    refusal = raised.value
    assert isinstance(refusal, ValueError)
    assert refusal.kind == "illegal"
    assert refusal.message.startswith("the grammar writes equality as the word `is`")
    start, end = refusal.span
    assert sentence[start:end] == "="
    assert refusal.sentence == sentence
    drawn = str(refusal).splitlines()
    assert drawn[0] == "illegal: " + refusal.message
    assert drawn[-2].endswith(sentence)
    # The caret stands under the `=`, counted in characters from the start of the line.
    assert drawn[-1].index("^") - drawn[-2].index(sentence) == start
    assert pickle.loads(pickle.dumps(refusal)).span == refusal.span


def test_a_refusal_about_the_whole_sentence_has_no_span():
    with pytest.raises(brell.Refusal) as raised:
        brell.compile("sales then take 1", COLUMNS, to="cobol")
    assert raised.value.span is None
    assert "there is no backend called `cobol`" in raised.value.message
    assert "sql, spark, dplyr, pandas, polars, pyspark, brell" in str(raised.value)


def test_notes_are_warnings_of_their_own_category_and_the_program_comes_back():
    sentence = 'sales then join p unmatched "none" then drop_missing'
    with pytest.warns(brell.Note) as caught:
        program = brell.compile(sentence, {"id": "number"}, tables={"p": {"id": "number"}})
    assert program.startswith("WITH") or "JOIN" in program
    (note,) = [warning.message for warning in caught if warning.category is brell.Note]
    assert str(note).startswith("assumption: `join` matched on id")
    assert sentence[slice(*note.span)].startswith("join p")
    with warnings.catch_warnings():
        warnings.simplefilter("error", brell.Note)
        with pytest.raises(brell.Note):
            brell.compile(sentence, {"id": "number"}, tables={"p": {"id": "number"}})


def test_columns_as_text_read_as_the_command_line_reads_them():
    as_text = brell.compile("sales then pick [revenue]", "region:text, revenue:number")
    assert as_text == brell.compile("sales then pick [revenue]", COLUMNS)
    with pytest.raises(ValueError, match="`revenue` has no type"):
        brell.compile("sales then pick [revenue]", "region:text,revenue")


@pytest.mark.parametrize(
    "call, error, words",
    [
        (lambda: brell.compile(b"sales", COLUMNS), TypeError, "must be a str"),
        (lambda: brell.compile("   ", COLUMNS), ValueError, "no sentence"),
        (lambda: brell.compile("sales", ["region"]), TypeError, "mapping of column name"),
        (lambda: brell.compile("sales", {}), ValueError, "empty"),
        (lambda: brell.compile("sales", {"region": 1}), TypeError, "type words"),
        (lambda: brell.compile("sales", COLUMNS, tables={"p": 3}), TypeError, "`p`"),
        (lambda: brell.compile("sales", COLUMNS, to=None), TypeError, "backend"),
    ],
)
def test_a_wrong_argument_raises_what_python_users_expect(call, error, words):
    with pytest.raises(error, match=words) as raised:
        call()
    assert not isinstance(raised.value, brell.Refusal)


def test_a_sentence_too_long_to_point_into_is_refused_before_it_is_read(monkeypatch):
    # The limit is 4 GiB of UTF-8; measured in bytes, so four-byte characters count four times.
    monkeypatch.setattr(brell._api, "_LONGEST_SENTENCE_BYTES", 40)
    sentence = "sales then keep where [region] is \"🌍🌍\""
    assert len(sentence) < 40 < len(sentence.encode())
    for call in (lambda: brell.compile(sentence, COLUMNS), lambda: brell.draw(sentence, COLUMNS),
                 lambda: brell.needs(sentence)):
        with pytest.raises(ValueError, match="4 GiB or longer"):
            call()
    assert brell.needs("sales then take 1") == ["sales"]


def test_draw_gives_svg_that_notebooks_show_and_text_for_terminals():
    svg = brell.draw("sales then keep where [revenue] > 1", COLUMNS)
    assert isinstance(svg, str) and svg.lstrip().startswith("<svg")
    assert svg._repr_svg_() == svg
    text = brell.draw("sales then keep where [revenue] > 1", COLUMNS, way="text")
    assert text.startswith("sales") and not hasattr(text, "_repr_svg_")
    with pytest.raises(brell.Refusal, match="there is no way of drawing called `png`"):
        brell.draw("sales", COLUMNS, way="png")


def test_needs_lists_the_tables_in_order_of_first_appearance():
    sentence = "sales then join p by [id] then add_rows q then keep where matching(p) or matching(r)"
    assert brell.needs(sentence) == ["sales", "p", "q", "r"]
    with pytest.raises(brell.Refusal):
        brell.needs("sales then then")


def test_the_listings():
    assert brell.backends() == ["sql", "spark", "dplyr", "pandas", "polars", "pyspark", "brell"]
    words = brell.vocabulary()
    assert brell.Word("verb", "keep") in words
    assert {word.kind for word in words} >= {"verb", "word"}


def test_a_description_changed_between_calls_is_read_anew():
    # Column lists are kept between calls under what they describe; a mapping changed in place,
    # or the same text naming other types, must not meet the list read before.
    sentence = "sales then keep where [revenue] > 1"
    columns = {"region": "text", "revenue": "number"}
    assert "revenue" in brell.compile(sentence, columns)
    columns["revenue"] = "text"
    with pytest.raises(brell.Refusal, match="revenue"):
        brell.compile(sentence, columns)
    assert "revenue" in brell.compile(sentence, "region:text,revenue:number")
    with pytest.raises(brell.Refusal, match="revenue"):
        brell.compile(sentence, "region:text,revenue:text")
    with pytest.raises(TypeError, match="type words"):
        brell.compile(sentence, {"region": "text", "revenue": ["number"]})
