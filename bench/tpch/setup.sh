#!/usr/bin/env bash
# Makes the virtual environment that makes the TPC-H data (bench/tpch/requirements.txt), and
# does nothing when it is there. It lives beside the engines' one, in
# ${BRELL_ENGINES_HOME:-~/.cache/brell}/tpch-HASH, HASH being the start of the SHA-256 of
# requirements.txt. The last line printed names its Python.
set -euo pipefail
cd "$(dirname "$0")"

requirements=requirements.txt
hash=$(sha256sum "$requirements" | cut -c1-16)
venv="${BRELL_ENGINES_HOME:-$HOME/.cache/brell}/tpch-$hash"
if [ ! -f "$venv/installed" ]; then
    echo "== installing DuckDB's TPC-H extension into $venv"
    rm -rf "$venv"
    mkdir -p "$(dirname "$venv")"
    python3 -m venv "$venv"
    "$venv/bin/python" -m pip install --quiet --disable-pip-version-check --no-deps \
        --requirement "$requirements"
    "$venv/bin/python" -c 'import duckdb, duckdb_extension_tpch'
    touch "$venv/installed"
fi
echo "BRELL_TPCH_PYTHON=$venv/bin/python"
