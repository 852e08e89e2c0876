#!/usr/bin/env bash
# Builds the Python package with one `pip install` into a fresh virtual environment (the pinned
# test requirements beside it), then runs its tests from outside the source tree, so that they
# import the installed package. Any step that cannot run fails the whole script.
#
#   python/run_tests.sh [BRELL_PROGRAM]     (default: build/brell, the command line to compare with)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/brell}")
python=${PYTHON:-python3}

if [[ ! -x "$program" ]]; then
    echo "python/run_tests.sh: no brell program at $program; build the project first" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$python" -m venv "$work/venv"
"$work/venv/bin/python" -m pip install --quiet --disable-pip-version-check \
    -r "$root/python/requirements-test.txt"
"$work/venv/bin/python" -m pip install --quiet --disable-pip-version-check "$root"

cd "$work"
BRELL_EXECUTABLE="$program" "$work/venv/bin/python" -m pytest -q -p no:cacheprovider \
    -o asyncio_default_fixture_loop_scope=function \
    --rootdir "$root/python/tests" "$root/python/tests"
