"""`compile` and `draw` without columns read the nearest brell.toml, as the command line does."""

from __future__ import annotations

import subprocess

import pytest

import brell
from brell import _project

PROJECT = """\
# the shop's tables
[tables]
sales = "day:date,store:text,units:number"
stores = "store:text,region:text"
"""
SENTENCE = 'sales then join stores by [store] then keep where [region] is "North"'


@pytest.fixture
def below_project(tmp_path, monkeypatch):
    """A folder two levels below a brell.toml, made the current folder."""
    (tmp_path / "brell.toml").write_text(PROJECT)
    inside = tmp_path / "reports" / "weekly"
    inside.mkdir(parents=True)
    monkeypatch.chdir(inside)
    return tmp_path


def test_compile_and_draw_read_the_nearest_file_above_as_the_command_line_does(
    below_project, brell_executable
):
    for to in ("sql", "polars"):
        command_line = subprocess.run(
            [brell_executable, "--as", to, SENTENCE], capture_output=True, text=True, check=True
        ).stdout
        assert brell.compile(SENTENCE, to=to) == command_line
    drawn = subprocess.run(
        [brell_executable, "--draw", "text", SENTENCE], capture_output=True, text=True, check=True
    ).stdout
    assert brell.draw(SENTENCE, way="text") == drawn
    # A nearer file is the one read, and the one above is not merged in.
    (below_project / "reports" / "brell.toml").write_text('[tables]\nsales = "store:text"\n')
    with pytest.raises(brell.Refusal, match="joins a table called `stores`"):
        brell.compile(SENTENCE)


def test_tables_given_by_name_replace_the_files_and_the_sentences_table_must_be_there(
    below_project,
):
    renamed = brell.compile(
        'sales then join stores by [store] then keep where [area] is "North"',
        tables={"stores": "store:text,area:text"},
    )
    assert '"area"' in renamed
    with pytest.raises(ValueError, match=r"no table called `returns` .* \.\./\.\./brell\.toml"):
        brell.compile("returns then take 1")


@pytest.mark.parametrize(
    "text, words",
    [
        ('[tables]\nsales = "units:number"\nstores = "store\n', r"brell\.toml: .*line 3"),
        ('[tables]\nstores = "store, region:text"\n', r"`stores`: `store` has no type"),
        ("[tables]\nsales = 3\n", r"`sales` should be a column list in quotes"),
        ('[table]\nsales = "units:number"\n', r"`table` is not something this file describes"),
    ],
)
def test_a_malformed_file_is_refused_whole_naming_the_file(tmp_path, monkeypatch, text, words):
    (tmp_path / "brell.toml").write_text(text)
    monkeypatch.chdir(tmp_path)
    with pytest.raises(ValueError, match=words):
        brell.compile("sales then take 1", to="sql")


def test_without_columns_or_a_file_or_tomllib_the_caller_is_told_what_is_missing(
    tmp_path, monkeypatch
):
    monkeypatch.chdir(tmp_path)
    with pytest.raises(TypeError, match="no columns were given"):
        brell.compile("sales then take 1")
    (tmp_path / "brell.toml").write_text(PROJECT)
    monkeypatch.setattr(_project, "tomllib", None)
    with pytest.raises(RuntimeError, match="Python 3.11"):
        brell.draw("sales then take 1")
