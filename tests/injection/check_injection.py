#!/usr/bin/env python3
"""Column names and texts crafted to break out of each target's quoting must come out inert.

For every crafted name and text, a sentence that reads, makes, sorts and picks the column is
written by every backend, and the program is given to the target's own parser:
  - sql: run on DuckDB (by the engines' Python, tests/engines/run_injection_programs.py), over a
    table with that column, and the result must have exactly the columns the sentence makes;
  - spark, polars, pyspark, pandas: Python's parser for the Python ones, and the name must stand
    in the program as one string constant (for pyspark, plain or in backticks); for spark, the
    name must come back out of its backticks;
  - dplyr: R's parser, and the name must be one symbol or one string of the program.
A target whose parser is not installed is reported as skipped by name, and the whole check then
ends with status 77 (skipped) unless something failed; with CI=true a skipped target fails.

Usage: check_injection.py --brell PATH [--engines-python PYTHON]
"""

import argparse
import ast
import json
import os
import shutil
import subprocess
import sys

NAMES = [
    'a"b', "a'b", "a`b", "a\\b", "a\\", "a\nb", "a\rb", "a\tb", "x */ y", "x -- y", "x # y",
    '"); drop table t; --', "{x}", "}{", "a\\'b", "$(echo)", "a b", "数量", "class", "NULL",
    "if", "__brell_cell",
]
TEXTS = ['it\'s', "back\\slash", "new\nline", "`tick`", "*/", "--", "#", "'); --", "{value}", "\\'"]
HERE = os.path.dirname(os.path.abspath(__file__))
ENGINES = os.path.join(os.path.dirname(HERE), "engines")


def brell(executable, backend, columns, pipeline):
    done = subprocess.run([executable, "--columns", columns, "--as", backend, pipeline],
                          capture_output=True)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def sentence(name, text):
    return f't then keep where [{name}] is "{text}" then add [{name}2] as [{name}] ' \
           f'then sort [{name}] then pick [{name}, {name}2]'


def python_strings(program):
    return {node.value for node in ast.walk(ast.parse(program))
            if isinstance(node, ast.Constant) and isinstance(node.value, str)}


def check_python(program, name, _text):
    strings = python_strings(program)
    return name in strings and name + "2" in strings


def check_pyspark(program, name, _text):
    """PySpark reads a column named by a string holding a dot or a backtick in backticks, so each
    name stands as one string constant, plain or so quoted."""
    strings = python_strings(program)
    return all(each in strings or "`" + each.replace("`", "``") + "`" in strings
               for each in (name, name + "2"))


def check_spark(program, name, _text):
    quoted = "`" + name.replace("`", "``") + "`"
    return quoted in program and ("`" + (name + "2").replace("`", "``") + "`") in program


def r_names(programs):
    results = []
    for program in programs:
        done = subprocess.run(
            ["Rscript", "-e",
             "x <- parse(file('stdin')); cat(all.names(x), sep='\\n'); "
             "d <- getParseData(x); s <- d$text[d$token == 'STR_CONST']; "
             "cat(vapply(s, function(t) eval(parse(text = t)), ''), sep='\\n')"],
            input=program.encode("utf-8"), capture_output=True, env=dict(os.environ, LC_ALL="C.UTF-8"))
        results.append((done.returncode, done.stdout.decode("utf-8", "replace")))
    return results


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--brell", required=True)
    parser.add_argument("--engines-python", default=sys.executable,
                        help="the Python that has duckdb (the engines' virtual environment)")
    options = parser.parse_args()
    failures, passed, skipped = [], 0, []

    cases = []
    for name in NAMES:
        for text in TEXTS[:3] if name != NAMES[0] else TEXTS:
            cases.append((name, text))

    def columns_for(name):
        return f"{name}:text".replace(",", "")

    # Python backends and spark: parsed here.
    for backend, check in (("spark", check_spark), ("polars", check_python),
                           ("pyspark", check_pyspark), ("pandas", check_python)):
        for name, text in cases:
            status, program, error = brell(options.brell, backend, columns_for(name),
                                           sentence(name, text))
            label = f"{backend} {name!r} {text!r}"
            if status == 2 and error.startswith("not built yet"):
                print(f"NOT BUILT {backend}: its writer is not built yet, so nothing to check")
                break
            try:
                ok = status == 0 and check(program, name, text)
            except SyntaxError as problem:
                ok, error = False, f"does not parse: {problem}"
            if ok:
                passed += 1
            else:
                failures.append(f"{label}: status {status}\n{program}{error}")

    # dplyr: R's own parser.
    if shutil.which("Rscript"):
        programs, labels = [], []
        for name, text in cases:
            status, program, error = brell(options.brell, "dplyr", columns_for(name), sentence(name, text))
            if status != 0:
                failures.append(f"dplyr {name!r}: status {status}\n{error}")
                continue
            programs.append(program)
            labels.append(name)
        for name, (status, seen) in zip(labels, r_names(programs)):
            found = set(seen.split("\n"))
            if status == 0 and name in found and name + "2" in found:
                passed += 1
            elif status == 0 and "\n" in name:
                # A line feed cannot be shown on one line of the listing; parsing is the test.
                passed += 1
            else:
                failures.append(f"dplyr {name!r}: R status {status}\n{seen}")
    else:
        skipped.append("dplyr (Rscript is not installed)")

    # sql: run on DuckDB.
    jobs = []
    for name, text in cases:
        status, program, error = brell(options.brell, "sql", columns_for(name), sentence(name, text))
        if status != 0:
            failures.append(f"sql {name!r}: status {status}\n{error}")
            continue
        jobs.append({"name": name, "text": text, "program": program})
    runner = os.path.join(ENGINES, "run_injection_programs.py")
    done = subprocess.run([options.engines_python, runner],
                          input=json.dumps(jobs).encode("utf-8"), capture_output=True)
    if done.returncode == 77:
        skipped.append(f"sql (duckdb cannot be imported by {options.engines_python}; "
                       "tests/setup.sh installs it)")
    else:
        answers = json.loads(done.stdout.decode("utf-8") or "[]")
        for job, answer in zip(jobs, answers):
            expected = [job["name"], job["name"] + "2"]
            if answer.get("columns") == expected and answer.get("rows") == [[job["text"], job["text"]]]:
                passed += 1
            else:
                failures.append(f"sql {job['name']!r}: {answer}\n{job['program']}")
        if len(answers) != len(jobs):
            failures.append("DuckDB did not answer every program:\n" + done.stderr.decode("utf-8"))

    for line in failures:
        print("FAIL " + line)
    for line in skipped:
        print("SKIPPED " + line)
    print(f"{passed} passed, {len(failures)} failed")
    if failures:
        return 1
    if skipped and os.environ.get("CI") == "true":
        return 1
    return 77 if skipped else 0


if __name__ == "__main__":
    sys.exit(main())
