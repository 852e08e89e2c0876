#!/usr/bin/env python3
"""Checks that the Python programs a backend writes parse.

Every case in the given case files (or in the case files under the given folders) whose command
line asks for `--as BACKEND` is run again; each run that exits 0 must print a program that
Python's own parser accepts (`ast.parse`). The programs are parsed, not run, so the library they
call need not be installed.

Usage: check_python_parses.py --brell PATH --backend NAME FILE_OR_FOLDER...
"""

import argparse
import ast
import os
import re
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from run_cases import expected_text, parse_case_file, run  # noqa: E402


def case_files(paths):
    """The case files named, and those under the folders named, in a stable order."""
    found = []
    for path in paths:
        if os.path.isdir(path):
            for folder, _, names in sorted(os.walk(path)):
                found.extend(os.path.join(folder, name) for name in sorted(names)
                             if name.endswith(".case"))
        else:
            found.append(path)
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--brell", required=True)
    parser.add_argument("--backend", required=True)
    parser.add_argument("paths", nargs="+")
    options = parser.parse_args()
    asks_for_backend = re.compile(r"--as\s+" + re.escape(options.backend) + r"(?![\w-])")

    passed, failed = 0, 0
    with tempfile.TemporaryDirectory() as bin_dir:
        os.symlink(os.path.abspath(options.brell), os.path.join(bin_dir, "brell"))
        for path in case_files(options.paths):
            _, cases = parse_case_file(path)
            for case in cases:
                if not asks_for_backend.search(case.command):
                    continue
                stdin_text = expected_text(case.sections.get("stdin", []), "")
                stdout, stderr, status = run(case.command, stdin_text, bin_dir)
                if status != 0:
                    continue
                try:
                    ast.parse(stdout)
                    passed += 1
                except SyntaxError as error:
                    failed += 1
                    print(f"FAIL {path}:{case.line_number}: {case.name}")
                    print(f"  $ {case.command}")
                    print(f"  line {error.lineno}: {error.msg}")
                    print("".join("  | " + line + "\n" for line in stdout.splitlines()))
    print(f"{passed} passed, {failed} failed")
    if passed + failed == 0:
        print(f"no case writes a program with --as {options.backend}")
        return 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
