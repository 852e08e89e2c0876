"""Where the TPC-H data of a scale factor lives, and making it when it is not there yet.

The data is made once per machine and kept beside the engines' virtual environment, in
${BRELL_ENGINES_HOME:-~/.cache/brell}/tpch-data/sf-SCALE: bench/tpch/setup.sh makes the virtual
environment holding DuckDB's TPC-H extension, and make_data.py runs under its Python.
"""

import os
import pathlib
import subprocess

HERE = pathlib.Path(__file__).resolve().parent


def data_home():
    home = os.environ.get("BRELL_ENGINES_HOME") or os.path.expanduser("~/.cache/brell")
    return pathlib.Path(home) / "tpch-data"


def scale_text(scale):
    return f"{scale:g}"


def ensure_data(scale, folder=None):
    """The folder holding the data of the scale factor, made first when needed."""
    folder = pathlib.Path(folder) if folder else data_home() / f"sf-{scale_text(scale)}"
    if (folder / "made").exists():
        return folder
    setup = subprocess.run(["bash", str(HERE / "setup.sh")], capture_output=True, text=True)
    if setup.returncode != 0:
        raise RuntimeError(f"bench/tpch/setup.sh failed:\n{setup.stdout}{setup.stderr}")
    python = setup.stdout.strip().splitlines()[-1].split("=", 1)[1]
    made = subprocess.run([python, str(HERE / "make_data.py"), "--scale", scale_text(scale),
                           "--out", str(folder)], capture_output=True, text=True)
    if made.returncode != 0:
        raise RuntimeError(f"make_data.py failed:\n{made.stdout}{made.stderr}")
    return folder
