#!/usr/bin/env python3
"""Every sentence a refusal offers in the case files must itself check.

A refusal that says how to write what was meant often quotes a whole rewritten sentence, in
backticks, beginning with the table the refused sentence starts from: `sales then keep where
[amount] > 10`. Those are the offers this reads. A fragment (`then sort [day] then take 15`) is
advice about a part, not a sentence, and is left alone.

Each case of tests/cases whose status is not 0 and whose standard error quotes the refused
sentence (`1 | ...`) is read; each offer is run in place of the sentence, on the case's own
command line (its `--columns`, its project file), in a new empty folder. An offer that is refused,
or a case whose sentence cannot be found in its command line to be replaced, is a failure.

Usage: check_offered_sentences.py --brell PATH FILE...
"""

import argparse
import os
import re
import shlex
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import run_cases  # noqa: E402

# A message begins with its kind; the sentence it is about follows on its first source line.
MESSAGE = re.compile(r"^(illegal|assumption|warning|error): ")
QUOTED_SENTENCE = re.compile(r"^1 \| (.*)$")
BACKTICKED = re.compile(r"`([^`]+)`")
# The options that say what the sentence is checked against and written as.
CARRIED_OPTIONS = ("--columns", "--tables", "--as")


def offers_by_sentence(stderr_lines):
    """(refused sentence, [offered sentences]) for each message that offers a whole sentence:
    a backticked text starting with the refused sentence's own table and ` then `."""
    found = []
    message = None
    for line in stderr_lines:
        if MESSAGE.match(line):
            message = line
            continue
        quoted = QUOTED_SENTENCE.match(line)
        if quoted and message is not None:
            sentence = quoted.group(1)
            source = sentence.split(" ", 1)[0]
            offered = [text for text in BACKTICKED.findall(message)
                       if text.startswith(source + " then ")]
            if offered:
                found.append((sentence, list(dict.fromkeys(offered))))
            message = None
    return found


def carried_options(command):
    """The `--columns`, `--tables` and `--as` options of the case's command line, or None when
    the command line is not a plain one that shlex can read."""
    try:
        words = shlex.split(command)
    except ValueError:
        return None
    options = []
    for index, word in enumerate(words[:-1]):
        if word in CARRIED_OPTIONS:
            options += [word, words[index + 1]]
    return options


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--brell", required=True)
    parser.add_argument("files", nargs="+")
    options = parser.parse_args()

    checked, parsed_only, failures = 0, 0, []
    for path in options.files:
        _, cases = run_cases.parse_case_file(path)
        for case in cases:
            if case.status == 0:
                continue
            where = f"{path}:{case.line_number}: {case.name}"
            for sentence, offered in offers_by_sentence(case.sections.get("stderr", [])):
                carried = carried_options(case.command)
                if carried is None:
                    failures.append(f"{where}: its command line cannot be read for its options")
                    continue
                described = "--columns" in carried or "--tables" in carried
                for offer in offered:
                    # A case that describes no table shows a refusal of the grammar itself; its
                    # offer is read as the case read the sentence, without a table to check.
                    command = [os.path.abspath(options.brell)] + (carried if described else ["--needs"]) + [offer]
                    with tempfile.TemporaryDirectory() as folder:
                        result = subprocess.run(command, capture_output=True, text=True,
                                                cwd=folder, timeout=60)
                    if described:
                        checked += 1
                    else:
                        parsed_only += 1
                    if result.returncode != 0:
                        failures.append(f"{where}: the sentence offered for `{sentence}` is "
                                        f"refused\n  offered: {offer}\n  "
                                        f"{result.stderr.strip()}")
    for failure in failures:
        print("FAIL " + failure)
    print(f"{checked} offered sentences checked against their case's tables, {parsed_only} read "
          f"by a case that describes no table; {len(failures)} failing")
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
