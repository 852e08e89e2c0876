#!/usr/bin/env python3
"""Checks that every R program the dplyr cases write is read by R's own parser.

Each case whose command line asks for `--as dplyr` is run as run_cases.py runs it; the standard
output of every one that exits 0 is given to `Rscript -e 'invisible(parse(file("stdin")))'`.
The programs are parsed, not run: they call dplyr and tidyr functions newer than the ones
Debian packages.

Usage: check_r_parses.py --brell PATH FILE...
Exits 77 (reported as skipped) when Rscript is not installed.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from run_cases import expected_text, parse_case_file, run  # noqa: E402

SKIPPED = 77
PARSE_STANDARD_INPUT = 'invisible(parse(file("stdin")))'
TIMEOUT_SECONDS = 120


def parse_with_r(rscript, program):
    """R's parser's complaint about the program, or None when it reads it."""
    environment = dict(os.environ)
    # Names and texts may hold any letter; R reads them only in a UTF-8 locale.
    environment["LC_ALL"] = "C.UTF-8"
    completed = subprocess.run(
        [rscript, "-e", PARSE_STANDARD_INPUT],
        input=program.encode("utf-8", errors="surrogateescape"),
        capture_output=True,
        env=environment,
        timeout=TIMEOUT_SECONDS,
    )
    if completed.returncode == 0:
        return None
    return completed.stderr.decode("utf-8", errors="replace")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--brell", required=True)
    parser.add_argument("files", nargs="+")
    options = parser.parse_args()

    rscript = shutil.which("Rscript")
    if rscript is None:
        print("SKIPPED: Rscript is not installed")
        return SKIPPED

    passed, failed = 0, 0
    with tempfile.TemporaryDirectory() as bin_dir:
        os.symlink(os.path.abspath(options.brell), os.path.join(bin_dir, "brell"))
        for path in options.files:
            _, cases = parse_case_file(path)
            for case in cases:
                if "--as dplyr" not in case.command:
                    continue
                stdin_text = expected_text(case.sections.get("stdin", []), "")
                program, _, status = run(case.command, stdin_text, bin_dir)
                if status != 0:
                    continue
                complaint = parse_with_r(rscript, program)
                if complaint is None:
                    passed += 1
                    continue
                failed += 1
                print(f"FAIL {path}:{case.line_number}: {case.name}")
                print(f"  $ {case.command}")
                print(program)
                print(complaint)
    if passed + failed == 0:
        print("no case wrote an R program, so nothing was parsed")
        failed += 1
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
