#!/usr/bin/env bash
# Installs what brell's build and its tests need on a Debian machine, and does nothing (quickly)
# when everything is already there.
#
#   bash tests/setup.sh brell    what `brell` alone needs: a C++ compiler, CMake, Ninja, ICU, toml++
#   bash tests/setup.sh build    that, and what the whole build needs: clang, clang-format,
#                                GoogleTest, Google Benchmark, the sanitizers' runtime
#   bash tests/setup.sh          that, what the tests need (R with dplyr, SVG tools, Java,
#                                valgrind, Neovim, Node), the engines' Python virtual environment
#                                (tests/engines/requirements.txt), and the one that makes
#                                the TPC-H data (bench/tpch/requirements.txt)
#
# The virtual environment is shared by every clone on the machine: it lives in
# ${BRELL_ENGINES_HOME:-~/.cache/brell}/engines-HASH, HASH being the start of the SHA-256 of
# requirements.txt, so a change of pins makes a new one. The last line printed names its Python
# (CMake finds it at the same place by itself).
set -euo pipefail
cd "$(dirname "$0")/.."

what=${1:-all}
case "$what" in brell | build | all) ;; *) echo "usage: bash tests/setup.sh [brell|build|all]" >&2; exit 2 ;; esac

brell_packages=(cmake ninja-build g++ libicu-dev libtomlplusplus-dev)
build_packages=(clang clang-format python3 libgtest-dev libgmock-dev libbenchmark-dev
    libclang-rt-14-dev)
test_packages=(libxml2-utils librsvg2-bin python3-venv valgrind neovim r-base-core r-cran-dplyr
    r-cran-tidyr r-cran-stringr r-cran-lubridate r-cran-slider r-cran-vctrs r-cran-jsonlite)
wanted=("${brell_packages[@]}")
if [ "$what" != brell ]; then wanted+=("${build_packages[@]}"); fi
if [ "$what" = all ]; then
    wanted+=("${test_packages[@]}")
    # Spark runs on Java 17; install it only when the machine has no Java.
    if ! command -v java > /dev/null 2>&1; then wanted+=(openjdk-17-jre-headless); fi
    # The VS Code extension is built with npm (editors/vscode/check_extension.sh), which wants
    # Node 20 or later; install Debian's only when the machine has no Node.
    if ! command -v node > /dev/null 2>&1; then wanted+=(nodejs npm); fi
fi

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2> /dev/null || true)
    if [ "$status" != "install ok installed" ]; then missing+=("$package"); fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing with apt-get: ${missing[*]}"
    sudo=""
    if [ "$(id -u)" != 0 ]; then sudo=sudo; fi
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update
    $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
[ "$what" != all ] && exit 0

requirements=tests/engines/requirements.txt
hash=$(sha256sum "$requirements" | cut -c1-16)
venv="${BRELL_ENGINES_HOME:-$HOME/.cache/brell}/engines-$hash"
if [ ! -f "$venv/installed" ]; then
    echo "== installing the engines into $venv"
    rm -rf "$venv"
    mkdir -p "$(dirname "$venv")"
    python3 -m venv "$venv"
    "$venv/bin/python" -m pip install --quiet --disable-pip-version-check --no-deps \
        --requirement "$requirements"
    "$venv/bin/python" -c 'import duckdb, pandas, polars, pyspark'
    touch "$venv/installed"
fi
# DuckDB with its TPC-H extension, in a virtual environment of its own (the extension is built
# for another DuckDB than the engines'), for the TPC-H data of bench/tpch.
bash bench/tpch/setup.sh > /dev/null
echo "BRELL_ENGINES_PYTHON=$venv/bin/python"
