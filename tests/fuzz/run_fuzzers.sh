#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and the sanitizers, seeds them with the pipelines
# of the command-line cases and the language's own words, and runs each for a bounded time.
# Any finding (a crash, a sanitizer report, a broken promise) fails the run and leaves the input
# that caused it in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-60}"

cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBRELL_FUZZ=ON -DBRELL_SANITIZE=ON -DBRELL_TESTS=OFF -DBRELL_BENCHMARKS=OFF
cmake --build build-fuzz

work=build-fuzz/work
rm -rf "$work" && mkdir -p "$work/seeds" build-fuzz/findings
python3 tests/fuzz/make_seeds.py tests/cases "$work/seeds"
# The dictionary is the vocabulary as the program lists it, so it never keeps a copy of its own.
build-fuzz/brell --vocabulary | awk -F'\t' '{ printf "\"%s\"\n", $2 }' > "$work/words.dict"

for target in fuzz_pipeline fuzz_columns fuzz_sentences; do
    mkdir -p "$work/$target"
    echo "== $target for ${seconds}s"
    build-fuzz/fuzz/"$target" "$work/$target" "$work/seeds" -dict="$work/words.dict" \
        -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix=build-fuzz/findings/"$target"- 2>&1 | tail -n 12
done
