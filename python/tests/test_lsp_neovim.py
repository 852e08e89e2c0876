"""Headless Neovim, set up exactly as the book says (docs/editors.md), opens a .brell file beside
a brell.toml and receives brell-lsp's diagnostics: the refusal and the note the package gives for
the same sentence, at the same places. No Neovim on the machine is a failure
(tests/setup.sh installs Debian's)."""

from __future__ import annotations

import json
import os
import re
import shutil
import subprocess
import sys
import warnings
from pathlib import Path

import brell

BOOK_PAGE = Path(__file__).resolve().parents[2] / "docs" / "editors.md"
WAIT = """
vim.wait(20000, function() return #vim.diagnostic.get(0) >= 2 end, 50)
local found = {}
for _, d in ipairs(vim.diagnostic.get(0)) do
  table.insert(found, { line = d.lnum, column = d.col, severity = d.severity, message = d.message })
end
vim.fn.writefile({ vim.fn.json_encode(found) }, vim.env.BRELL_DIAGNOSTICS)
vim.cmd("qa!")
"""


def test_neovim_receives_the_diagnostics(tmp_path):
    neovim = shutil.which("nvim")
    assert neovim, "no nvim on the PATH: bash tests/setup.sh installs Debian's neovim"
    setup = re.search(r"```lua\n(.*?)```", BOOK_PAGE.read_text(encoding="utf-8"), re.DOTALL)
    (tmp_path / "init.lua").write_text(setup.group(1), encoding="utf-8")
    (tmp_path / "wait.lua").write_text(WAIT, encoding="utf-8")
    columns = "day:date,store:text,units:number"
    (tmp_path / "brell.toml").write_text(f'[tables]\nsales = "{columns}"\n', encoding="utf-8")
    # A note on the first line, a refusal on the second.
    sentence = (
        'sales then add [twice] as [units] * 2 by [store]\n  then keep where [units] > "many"'
    )
    (tmp_path / "week.brell").write_text(sentence, encoding="utf-8")

    environment = dict(
        os.environ, BRELL_DIAGNOSTICS=str(tmp_path / "found.json"), HOME=str(tmp_path)
    )
    environment["PATH"] = f"{Path(sys.executable).parent}{os.pathsep}{environment['PATH']}"
    subprocess.run(
        [
            neovim,
            "--headless",
            "-u",
            str(tmp_path / "init.lua"),
            "week.brell",
            "-c",
            "luafile wait.lua",
        ],
        cwd=tmp_path,
        env=environment,
        timeout=60,
        check=True,
        capture_output=True,
    )
    found = json.loads((tmp_path / "found.json").read_text(encoding="utf-8"))

    try:
        brell.compile(sentence, columns)
        raise AssertionError("the sentence was meant to be refused")
    except brell.Refusal as refusal:
        refused = refusal
    with warnings.catch_warnings(record=True) as notes:  # those of the steps before the refused one
        warnings.simplefilter("always")
        brell.compile(sentence.splitlines()[0], columns)
    expected = [(refused.message, refused.span[0], 1)] + [
        (note.message.message, note.message.span[0], 2) for note in notes
    ]
    line_starts = [0, sentence.index("\n") + 1]
    received = [(d["message"], line_starts[d["line"]] + d["column"], d["severity"]) for d in found]
    assert sorted(received) == sorted(expected)
