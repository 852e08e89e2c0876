"""`brell.compile` and the command line are one compiler: for every backend, the same program
and the same notes, or the same refusal."""

from __future__ import annotations

import subprocess
import warnings

import pytest

import brell

SALES = "region:text,revenue:number,cost:number,day:date,id:number"
PRODUCTS = "id:number,label:text,price:number"

SENTENCES = [
    'sales then keep where [region] is "West" then take 10',
    "sales then add [margin] as [revenue] - [cost] then sort [margin] descending, [id]",
    "sales then summarize [n] as row_count(), [total] as total([revenue]) by [region]",
    "sales then join products then pick [region, label, price]",
    'sales then widen name [region], value total([revenue]) by [day]',
]


def command_line(executable: str, sentence: str, backend: str) -> subprocess.CompletedProcess:
    return subprocess.run(
        [executable, "--columns", SALES, "--columns", "products=" + PRODUCTS, "--as", backend,
         sentence],
        capture_output=True, text=True, check=False,
    )


@pytest.mark.parametrize("backend", brell.backends())
@pytest.mark.parametrize("sentence", SENTENCES)
def test_every_backend_writes_what_the_command_line_prints(brell_executable, sentence, backend):
    printed = command_line(brell_executable, sentence, backend)
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        try:
            written = brell.compile(sentence, SALES, to=backend, tables={"products": PRODUCTS})
        except brell.Refusal as refusal:
            assert printed.returncode == 2, printed.stderr
            assert printed.stderr == str(refusal) + "\n"
            return
    assert printed.returncode == 0, printed.stderr
    assert written == printed.stdout
    notes = "".join(str(w.message) + "\n" for w in caught if w.category is brell.Note)
    assert notes == printed.stderr
