"""`python -m brell run` and `describe`: files of every format run on every engine, the rows
printed, and what the command refuses, with its exit status and nothing written."""

from __future__ import annotations

import io
import os
import subprocess
import sys
import time
from pathlib import Path

import duckdb
import pytest

from brell import _cli, _progress

from shared_tables import CASES, same_rows, write_files

FORMATS = [".csv", ".parquet", ".json"]
ENGINES = ["duckdb", "pandas", "polars", "spark"]


@pytest.fixture(scope="module")
def folders(tmp_path_factory) -> dict:
    """A folder for each format, holding every table in a file of that format."""
    made = {}
    for extension in FORMATS:
        folder = tmp_path_factory.mktemp(extension[1:])
        write_files(folder, extension)
        made[extension] = folder
    return made


def command(arguments, folder: Path, capsys, monkeypatch) -> tuple[int, str, str]:
    """Runs the command in process, in the folder: its exit status, output and errors."""
    monkeypatch.chdir(folder)
    status = _cli.main(arguments)
    printed = capsys.readouterr()
    return status, printed.out, printed.err


@pytest.mark.parametrize("engine", ENGINES)
@pytest.mark.parametrize("extension", FORMATS)
def test_files_of_every_format_give_the_rows_on_every_engine(
        folders, extension, engine, request, capsys, monkeypatch, tmp_path):
    if engine == "spark":
        request.getfixturevalue("spark")  # the session the command's own finds and uses
    folder = folders[extension]
    for number, (sentence, expected) in enumerate(CASES):
        written = tmp_path / f"case{number}.parquet"
        # `sales` is named; `stores`, when read, is found in the folder by its name.
        status, out, err = command(
            ["run", sentence, "--table", f"sales={folder / ('sales' + extension)}",
             "--engine", engine, "--output", str(written)], folder, capsys, monkeypatch)
        assert (status, out, err) == (0, "", ""), sentence
        rows = duckdb.read_parquet(str(written)).fetchall()
        assert same_rows(rows, expected), (sentence, rows)


def test_the_rows_are_printed_under_their_names_and_types(folders, capsys, monkeypatch):
    sentence = CASES[0][0].replace("note]", "note, paid]")
    status, out, err = command(["run", sentence], folders[".csv"], capsys, monkeypatch)
    assert (status, err) == (0, "")
    assert out == (
        "id      store  note          paid\n"
        "number  text   text          truth\n"
        "──────  ─────  ────────────  ─────\n"
        "     1  A      hello, world  yes\n"
        "     3  A      missing       yes\n"
        "     5  B      plain         yes\n"
        "3 rows\n"
    )


def test_a_screenful_is_printed_unless_all_rows_are_asked_for(tmp_path, capsys, monkeypatch):
    (tmp_path / "numbers.csv").write_text("n\n" + "".join(f"{n}\n" for n in range(100)))
    monkeypatch.setenv("LINES", "25")
    status, out, _ = command(["run", "numbers then sort [n]"], tmp_path, capsys, monkeypatch)
    lines = out.splitlines()
    assert status == 0 and lines[-1] == "20 of 100 rows shown; --all shows every one"
    assert [line.strip() for line in lines[3:-1]] == [str(n) for n in range(20)]
    status, out, _ = command(["run", "numbers then sort [n]", "--all"], tmp_path, capsys,
                             monkeypatch)
    assert out.splitlines()[-1] == "100 rows" and len(out.splitlines()) == 104


def test_a_refusal_is_drawn_as_the_command_line_draws_it(
        folders, brell_executable, capsys, monkeypatch):
    status, listed, _ = command(["describe", "sales.csv", "stores.csv"], folders[".csv"],
                                capsys, monkeypatch)
    assert status == 0
    assert listed.splitlines() == [
        "sales=id:number,day:date,at:timestamp,store:text,note:text,units:number,"
        "price:number,paid:truth",
        "stores=store:text,city:text",
    ]
    head, stores = listed.splitlines()

    def drawn_by_brell(sentence: str) -> subprocess.CompletedProcess:
        return subprocess.run(
            [brell_executable, "--columns", head.split("=", 1)[1], "--columns", stores, sentence],
            capture_output=True, text=True, check=False)

    refused = "sales then join stores by [store] then pick [id, town]"
    drawn = drawn_by_brell(refused)
    assert drawn.returncode == 2
    status, out, err = command(["run", refused], folders[".csv"], capsys, monkeypatch)
    assert (status, out, err) == (2, "", drawn.stderr)
    # A note on a sentence that runs is printed as the command line prints it, before the rows.
    noted = 'sales then join stores unmatched "none" then pick [id]'
    drawn = drawn_by_brell(noted)
    assert drawn.returncode == 0 and drawn.stderr.startswith("assumption:")
    status, out, err = command(["run", noted], folders[".csv"], capsys, monkeypatch)
    assert (status, err) == (0, drawn.stderr) and out.endswith("4 rows\n")


def test_the_command_runs_as_a_module_and_as_an_installed_script(folders):
    sentence = CASES[1][0]
    printed = []
    for program in ([sys.executable, "-m", "brell", "run"],
                    [str(Path(sys.executable).parent / "brell-run")]):
        done = subprocess.run(program + [sentence], cwd=folders[".parquet"],
                              capture_output=True, text=True, check=False)
        # Piped, it shows no progress: nothing but the rows.
        assert (done.returncode, done.stderr) == (0, ""), done.stderr
        printed.append(done.stdout)
    assert printed[0] == printed[1]
    assert printed[0].splitlines() == [
        "store  n       total",
        "text   number  number",
        "─────  ──────  ──────",
        "A           2       8",
        "B           2       7",
        "C           1       2",
        "3 rows",
    ]


def write_interval_column(path: Path) -> None:
    duckdb.sql("SELECT 1 AS id, INTERVAL 2 DAY AS wait").write_parquet(str(path))


@pytest.mark.parametrize(
    "make, table, words",
    [
        (lambda path: path.write_text("not parquet at all"), "sales.parquet",
         "sales.parquet: cannot be read as parquet"),
        (lambda path: path.mkdir(), "sales.csv", "sales.csv: cannot be read: it is a folder"),
        (lambda path: None, "absent.json", "absent.json: cannot be read: there is no such file"),
        (write_interval_column, "sales.parquet",
         "column `wait` of table `sales` is read as INTERVAL, which brell has no type for"),
    ],
)
def test_a_file_that_cannot_be_read_stops_the_command_with_nothing_written(
        tmp_path, make, table, words, capsys, monkeypatch):
    make(tmp_path / table)
    written = tmp_path / "out.csv"
    status, out, err = command(["run", "sales then take 1", "--table", f"sales={table}",
                                "--output", str(written)], tmp_path, capsys, monkeypatch)
    assert (status, out) == (1, "")
    assert err.startswith("brell: ") and words in err, err
    assert not written.exists()


def test_a_table_no_file_holds_is_refused_saying_where_it_was_looked_for(
        tmp_path, capsys, monkeypatch):
    written = tmp_path / "out.parquet"
    status, out, err = command(["run", "sales then take 1", "--output", str(written)], tmp_path,
                               capsys, monkeypatch)
    assert (status, out, written.exists()) == (1, "", False)
    looked = ", ".join(str(tmp_path / f"sales.{ext}") for ext in ("parquet", "csv"))
    assert err == (f"brell: the sentence reads `sales`, which no --table names, and there is no "
                   f"{looked} or {tmp_path / 'sales.json'}\n")


def test_columns_of_other_types_can_be_left_out(tmp_path, capsys, monkeypatch):
    write_interval_column(tmp_path / "sales.parquet")
    status, out, err = command(["run", "sales then take 1", "--leave-out-unsupported"],
                               tmp_path, capsys, monkeypatch)
    assert (status, err) == (0, "")
    assert out.splitlines()[0] == "id"
    status, out, _ = command(["describe", "sales.parquet", "--leave-out-unsupported"],
                             tmp_path, capsys, monkeypatch)
    assert out == "sales=id:number\n"


def test_progress_shows_on_a_terminal_after_a_second_and_is_wiped():
    class Terminal(io.StringIO):
        def isatty(self) -> bool:
            return True

    terminal = Terminal()
    original = _progress.SHOWN_AFTER_SECONDS
    _progress.SHOWN_AFTER_SECONDS = 0.0
    try:
        with _progress.Progress(terminal) as progress:
            progress.now("reading sales.csv")
            time.sleep(0.3)
    finally:
        _progress.SHOWN_AFTER_SECONDS = original
    shown = terminal.getvalue()
    assert "brell: reading sales.csv" in shown and shown.endswith("\r\x1b[K")
    piped = io.StringIO()
    with _progress.Progress(piped) as progress:
        progress.now("reading sales.csv")
        time.sleep(0.3)
    assert piped.getvalue() == ""


def test_rows_written_to_csv_and_arguments_refused_before_any_work(folders, tmp_path, capsys,
                                                                   monkeypatch):
    sentence, expected = CASES[0]
    written = tmp_path / "rows.csv"
    status, out, err = command(["run", sentence, "--output", str(written)], folders[".json"],
                               capsys, monkeypatch)
    assert (status, out, err) == (0, "", "")
    assert same_rows(duckdb.read_csv(str(written)).fetchall(), expected)
    for arguments, words in [
        (["--output", str(tmp_path / "rows.txt")], "writes results to .csv and .parquet files"),
        (["--table", "sales"], "--table takes NAME=PATH"),
        (["--engine", "sqlite"], "invalid choice: 'sqlite'"),
    ]:
        status, out, err = command(["run", sentence, *arguments], folders[".json"], capsys,
                                   monkeypatch)
        assert (status, out) == (1, "") and words in err, err
    assert not (tmp_path / "rows.txt").exists()
