#!/usr/bin/env bash
# Builds the benchmarks in a Release tree (build/bench), makes People databases of 100,000
# and 1,000,000 rows under /tmp/kro-bench-N (kept between runs) and times the dataset
# operations on both. Extra arguments go to dataset_bench (the number of runs).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKRO_BUILD_TESTS=OFF \
    -DKRO_BUILD_BENCH=ON >/dev/null
ninja -C "$build" -j2 generate_people dataset_bench

for rows in 100000 1000000; do
    dir="/tmp/kro-bench-$rows"
    if [[ ! -f "$dir/tables.sqlite3" ]]; then
        "$build/bench/generate_people" "$dir" "$rows"
    fi
    echo
    "$build/bench/dataset_bench" "$dir" "$@"
done
