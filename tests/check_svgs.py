#!/usr/bin/env python3
"""Checks that every SVG drawing in the drawing cases is a document a viewer can show.

Each case whose command runs `brell ... --draw svg ...` is run as run_cases.py runs it (by bash,
with its standard input), through a stand-in `brell` that keeps a copy of what the drawing printed.
Every drawing that the program printed with exit status 0 must be well-formed XML (`xmllint
--noout`), and must render with `rsvg-convert` to a PNG as wide and as high as the `width` and
`height` attributes of its root element say.

Both tools are needed (Debian: libxml2-utils and librsvg2-bin); when either is missing this prints
`SKIPPED: <tool> is not installed` and exits 77.

Usage: check_svgs.py --brell PATH FILE...
"""

import argparse
import os
import shutil
import stat
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run_cases  # noqa: E402

SKIPPED = 77
TOOLS = ("xmllint", "rsvg-convert")

# Runs the real program; when it was asked for `--draw svg`, keeps its output and exit status in
# a new numbered file of $BRELL_SVG_CAPTURE, then passes both on.
STAND_IN = """#!/usr/bin/env bash
svg=0
previous=
for argument in "$@"; do
    if [[ $previous == --draw && $argument == svg ]]; then svg=1; fi
    previous=$argument
done
if (( ! svg )); then exec "$BRELL_REAL" "$@"; fi
number=$(ls "$BRELL_SVG_CAPTURE" | wc -l)
out="$BRELL_SVG_CAPTURE/$number.svg"
"$BRELL_REAL" "$@" > "$out"
status=$?
echo "$status" > "$BRELL_SVG_CAPTURE/$number.status"
cat "$out"
exit "$status"
"""


def png_size(path):
    """The width and height in a PNG file's header."""
    with open(path, "rb") as handle:
        header = handle.read(24)
    if len(header) < 24 or header[:8] != b"\x89PNG\r\n\x1a\n" or header[12:16] != b"IHDR":
        raise ValueError("rsvg-convert did not write a PNG")
    return struct.unpack(">II", header[16:24])


def check_document(svg_path, work_dir):
    """Returns what is wrong with one SVG document, or None."""
    lint = subprocess.run(["xmllint", "--noout", svg_path], capture_output=True, text=True)
    if lint.returncode != 0:
        return f"xmllint refused it:\n{lint.stderr}"
    root = ElementTree.parse(svg_path).getroot()
    if root.tag != "{http://www.w3.org/2000/svg}svg":
        return f"the root element is {root.tag}, not an SVG element"
    try:
        width, height = int(root.get("width", "")), int(root.get("height", ""))
    except ValueError:
        return f"width {root.get('width')!r} and height {root.get('height')!r} are not whole numbers"
    png_path = os.path.join(work_dir, "drawing.png")
    render = subprocess.run(
        ["rsvg-convert", "--format", "png", "--output", png_path, svg_path],
        capture_output=True,
        text=True,
    )
    if render.returncode != 0:
        return f"rsvg-convert could not render it:\n{render.stderr}"
    try:
        rendered = png_size(png_path)
    except ValueError as error:
        return str(error)
    if rendered != (width, height):
        return f"it rendered {rendered[0]}x{rendered[1]}, and its attributes say {width}x{height}"
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--brell", required=True)
    parser.add_argument("files", nargs="+")
    options = parser.parse_args()

    for tool in TOOLS:
        if shutil.which(tool) is None:
            print(f"SKIPPED: {tool} is not installed")
            return SKIPPED

    passed, failed = 0, 0
    with tempfile.TemporaryDirectory() as work_dir:
        bin_dir = os.path.join(work_dir, "bin")
        capture_dir = os.path.join(work_dir, "capture")
        os.mkdir(bin_dir)
        stand_in = os.path.join(bin_dir, "brell")
        with open(stand_in, "w", encoding="utf-8") as handle:
            handle.write(STAND_IN)
        os.chmod(stand_in, stat.S_IRWXU)
        os.environ["BRELL_REAL"] = os.path.abspath(options.brell)

        for path in options.files:
            _, cases = run_cases.parse_case_file(path)
            for case in cases:
                if "--draw svg" not in case.command:
                    continue
                where = f"{path}:{case.line_number}: {case.name}"
                shutil.rmtree(capture_dir, ignore_errors=True)
                os.mkdir(capture_dir)
                os.environ["BRELL_SVG_CAPTURE"] = capture_dir
                stdin_text = run_cases.expected_text(case.sections.get("stdin", []), "")
                try:
                    run_cases.run(case.command, stdin_text, bin_dir)
                except subprocess.TimeoutExpired:
                    failed += 1
                    print(f"FAIL {where}: timed out")
                    continue
                drawings = sorted(
                    (name for name in os.listdir(capture_dir) if name.endswith(".svg")),
                    key=lambda name: int(name.split(".")[0]),
                )
                for name in drawings:
                    svg_path = os.path.join(capture_dir, name)
                    with open(svg_path[: -len(".svg")] + ".status", encoding="utf-8") as handle:
                        if handle.read().strip() != "0":
                            continue  # refused before drawing: there is no document to check
                    problem = check_document(svg_path, work_dir)
                    if problem is None:
                        passed += 1
                    else:
                        failed += 1
                        print(f"FAIL {where}: {problem}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
