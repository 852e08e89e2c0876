#!/usr/bin/env python3
"""Checks that no room of core/src includes a room above it.

The rooms stand on floors, lowest first: text helpers; diagnostics; the vocabulary, syntax tree,
column types, parsers and the canonical writer (the parser's inverse); the questions and
decisions asked of a sentence's values; the checker; then the drawings and the backends, which
share a floor and include neither each other; then the front door, which alone includes the
public header it stands behind (`brell/brell.hpp`). A room may include its own files and any room
on a lower floor.

Usage: check_floors.py CORE_SRC
Prints each include that runs up (or across) a floor and exits 1 when there is any.
"""

import os
import re
import sys

FLOORS = {"text": 0, "diagnostic": 1, "parse": 2, "plan": 3, "check": 4, "draw": 5,
          "backend": 5, "front": 6}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def upward_includes(core_src):
    found = []
    for root, _, files in os.walk(core_src):
        for name in sorted(files):
            path = os.path.join(root, name)
            room = os.path.relpath(path, core_src).split(os.sep)[0]
            if room not in FLOORS:
                found.append(f"{path}: the room `{room}` stands on no floor")
                continue
            with open(path, encoding="utf-8") as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if not match or match.group(1) == room:
                        continue
                    if match.group(1) == "brell" and room == "front":
                        continue
                    target = match.group(1)
                    if target not in FLOORS or FLOORS[target] >= FLOORS[room]:
                        found.append(f"{path}:{number}: `{room}` includes `{target}`, "
                                     "which is not on a floor below it")
    return found


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    found = upward_includes(sys.argv[1])
    for line in found:
        print(line)
    print(f"{len(found)} includes run up a floor")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
