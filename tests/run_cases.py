#!/usr/bin/env python3
"""Runs command-line case files against the brell executable.

A case file holds one or more cases. Each case is:

    === what the case shows
    $ brell --columns 'a:number' 't then take 1'
    --- stdin
    (optional: the text given on standard input)
    --- stdout
    (the exact standard output)
    --- stderr
    (the exact standard error)
    --- status 0

The command line is run by bash, with `brell` meaning the executable under test, so it is written
exactly as a user would type it (and may use bash's $'...' for bytes that are not text). Each case
runs in a new empty folder of its own, so that files it writes there (a brell.toml, a .brell
file) are its alone, and no brell.toml above the build folder reaches it. A section
that is left out is expected to be empty; `--- status` is required and ends the case. Lines after
it, up to the next `===`, are free for comments.

Inside an expected section, a line `<<help>>` stands for the whole help text (as `brell --help`
prints it), and a last line `<<no newline at end>>` says the text does not end in a newline.

Usage: run_cases.py --brell PATH [--bless] FILE...
With --bless, the expected sections are rewritten from what the program printed.
"""

import argparse
import difflib
import os
import subprocess
import sys
import tempfile

HELP_MARKER = "<<help>>"
NO_NEWLINE_MARKER = "<<no newline at end>>"
SECTIONS = ("stdin", "stdout", "stderr")
TIMEOUT_SECONDS = 120


class Case:
    def __init__(self, name, line_number):
        self.name = name
        self.line_number = line_number
        self.command = None
        self.sections = {}  # section name -> list of raw lines (without newline)
        self.status = None
        self.trailer = []  # comment lines after the status line


def parse_case_file(path):
    """Reads a case file into a list of Cases and the lines before the first case."""
    with open(path, encoding="utf-8") as handle:
        lines = handle.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    preamble, cases = [], []
    case, section = None, None
    for number, line in enumerate(lines, start=1):
        if line.startswith("=== "):
            if case is not None and case.status is None:
                raise SystemExit(f"{path}:{case.line_number}: case has no `--- status` line")
            case = Case(line[4:].strip(), number)
            cases.append(case)
            section = None
        elif case is None:
            preamble.append(line)
        elif case.status is not None:
            case.trailer.append(line)
        elif line.startswith("--- status "):
            case.status = int(line[len("--- status "):])
            section = None
        elif line.startswith("--- "):
            section = line[4:].strip()
            if section not in SECTIONS:
                raise SystemExit(f"{path}:{number}: unknown section `{section}`")
            case.sections[section] = []
        elif section is not None:
            case.sections[section].append(line)
        elif line.startswith("$ ") and case.command is None:
            case.command = line[2:]
        elif line.strip() == "" or line.startswith("#"):
            pass
        else:
            raise SystemExit(f"{path}:{number}: expected `$ command` or a section, got: {line}")
    if case is not None and case.status is None:
        raise SystemExit(f"{path}:{case.line_number}: case has no `--- status` line")
    for each in cases:
        if each.command is None:
            raise SystemExit(f"{path}:{each.line_number}: case `{each.name}` has no `$ ` line")
    return preamble, cases


def expected_text(lines, help_text):
    """The exact text a section stands for."""
    if not lines:
        return ""
    no_newline = lines[-1] == NO_NEWLINE_MARKER
    body = lines[:-1] if no_newline else lines
    text = "".join(help_text if line == HELP_MARKER else line + "\n" for line in body)
    if no_newline and text.endswith("\n"):
        text = text[:-1]
    return text


def section_lines(text, help_text):
    """The section lines that stand for a text (the reverse of expected_text)."""
    if text == "":
        return []
    no_newline = not text.endswith("\n")
    lines = []
    rest = text
    while rest:
        if help_text and rest.startswith(help_text):
            lines.append(HELP_MARKER)
            rest = rest[len(help_text):]
            continue
        line, _, rest = rest.partition("\n")
        lines.append(line)
    if no_newline:
        lines.append(NO_NEWLINE_MARKER)
    return lines


def run(command, stdin_text, bin_dir):
    environment = dict(os.environ)
    environment["PATH"] = bin_dir + os.pathsep + environment.get("PATH", "")
    with tempfile.TemporaryDirectory() as folder:
        completed = subprocess.run(
            ["bash", "-c", command],
            input=stdin_text.encode("utf-8"),
            capture_output=True,
            env=environment,
            cwd=folder,
            timeout=TIMEOUT_SECONDS,
        )
    decode = lambda data: data.decode("utf-8", errors="surrogateescape")
    return decode(completed.stdout), decode(completed.stderr), completed.returncode


def show_difference(label, expected, actual):
    diff = difflib.unified_diff(
        expected.splitlines(keepends=True),
        actual.splitlines(keepends=True),
        fromfile=f"expected {label}",
        tofile=f"actual {label}",
    )
    return "".join(line if line.endswith("\n") else line + "\n\\ no newline\n" for line in diff)


def write_case_file(path, preamble, cases, help_text):
    out = list(preamble)
    for case in cases:
        out.append(f"=== {case.name}")
        out.append(f"$ {case.command}")
        for section in SECTIONS:
            if section in case.sections and (section == "stdin" or case.sections[section]):
                out.append(f"--- {section}")
                out.extend(case.sections[section])
        out.append(f"--- status {case.status}")
        out.extend(case.trailer)
    with open(path, "w", encoding="utf-8") as handle:
        handle.write("\n".join(out) + "\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--brell", required=True)
    parser.add_argument("--bless", action="store_true")
    parser.add_argument("files", nargs="+")
    options = parser.parse_args()

    with tempfile.TemporaryDirectory() as bin_dir:
        os.symlink(os.path.abspath(options.brell), os.path.join(bin_dir, "brell"))
        help_text, _, _ = run("brell --help", "", bin_dir)
        failures, total = 0, 0
        for path in options.files:
            preamble, cases = parse_case_file(path)
            for case in cases:
                total += 1
                stdin_text = expected_text(case.sections.get("stdin", []), help_text)
                try:
                    stdout, stderr, status = run(case.command, stdin_text, bin_dir)
                except subprocess.TimeoutExpired:
                    failures += 1
                    print(f"FAIL {path}:{case.line_number}: {case.name}: timed out")
                    continue
                want_stdout = expected_text(case.sections.get("stdout", []), help_text)
                want_stderr = expected_text(case.sections.get("stderr", []), help_text)
                if options.bless:
                    case.sections["stdout"] = section_lines(stdout, help_text)
                    case.sections["stderr"] = section_lines(stderr, help_text)
                    case.status = status
                    continue
                report = []
                if stdout != want_stdout:
                    report.append(show_difference("stdout", want_stdout, stdout))
                if stderr != want_stderr:
                    report.append(show_difference("stderr", want_stderr, stderr))
                if status != case.status:
                    report.append(f"expected status {case.status}, got {status}\n")
                if report:
                    failures += 1
                    print(f"FAIL {path}:{case.line_number}: {case.name}")
                    print(f"  $ {case.command}")
                    print("".join(report))
            if options.bless:
                write_case_file(path, preamble, cases, help_text)
        print(f"{total - failures} passed, {failures} failed")
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
