#!/usr/bin/env python3
"""Writes one seed file per pipeline found in the command-line cases: the last single-quoted
argument of each `brell` command line."""

import pathlib
import shlex
import sys


def pipelines(case_folder):
    for path in sorted(pathlib.Path(case_folder).rglob("*.case")):
        for line in path.read_text(encoding="utf-8").splitlines():
            if not line.startswith("$ brell "):
                continue
            try:
                words = shlex.split(line[2:].split("|")[0].split(";")[0])
            except ValueError:
                continue
            if len(words) > 1 and not words[-1].startswith("-"):
                yield words[-1]


def main():
    folder, out = sys.argv[1], pathlib.Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    seen = set()
    for number, pipeline in enumerate(pipelines(folder)):
        if pipeline in seen or len(pipeline) > 4096:
            continue
        seen.add(pipeline)
        (out / f"seed{number:05d}").write_text(pipeline, encoding="utf-8")
    print(f"{len(seen)} seeds")


if __name__ == "__main__":
    main()
