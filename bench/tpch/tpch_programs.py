"""The 22 sentences (queries/qNN.brell) and the programs brell writes for them.

Each is compiled by the brell given, with bench/tpch/brell.toml describing the tables, as a user
would run it: `brell --tables brell.toml --as polars queries/q05.brell`.
"""

import pathlib
import subprocess

HERE = pathlib.Path(__file__).resolve().parent
QUERIES = tuple(range(1, 23))


def sentence_file(number):
    return HERE / "queries" / f"q{number:02}.brell"


def _brell(brell, arguments):
    done = subprocess.run([str(brell), "--tables", str(HERE / "brell.toml")] + arguments,
                          capture_output=True, text=True, timeout=60)
    if done.returncode != 0:
        raise RuntimeError(f"brell {' '.join(arguments)} exited with {done.returncode}:\n"
                           f"{done.stderr.rstrip()}")
    return done.stdout


def program(brell, number, target):
    return _brell(brell, ["--as", target, str(sentence_file(number))])


def sentence_program(brell, sentence, target):
    """The program of a sentence given as text (a variant of one of the 22)."""
    return _brell(brell, ["--as", target, sentence])


def tables_read(brell, number):
    """The tables the sentence reads, the one it starts from first."""
    return _brell(brell, ["--needs", str(sentence_file(number))]).split()


def ordered(data_dir, number):
    """Whether the official query promises an order of its rows."""
    return "ORDER BY" in (pathlib.Path(data_dir) / "official" / f"q{number:02}.sql").read_text()
