#!/usr/bin/env bash
# Builds the benchmarks in a Release tree (build/bench), makes demo databases of 100,000
# and 1,000,000 rows under /tmp/kro-bench-demo1-N (kept between runs) and times the dataset
# operations on both. Extra arguments go to dataset_bench (the number of runs).
#   run.sh --postgres [runs]: the same on a PostgreSQL server: the one the KRO_PG_*
#   variables name, else a throwaway one started here (scripts/pg-test-server.sh).
set -euo pipefail

mode=()
if [[ "${1:-}" == "--postgres" ]]; then
    mode=(--postgres)
    shift
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"
# Raised whenever bench_database (the demo's generator) changes the schema or the data, so
# that databases made by an older one are not reused.
schema=demo1

# Qt SQL and its SQLite driver, for the peer column: installed here only, when run as root.
qt_sql_packages=(libqt6sql6 libqt6sql6-sqlite qt6-base-dev)
missing=()
for package in "${qt_sql_packages[@]}"; do
    if [[ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" != "install ok installed" ]]; then
        missing+=("$package")
    fi
done
if ((${#missing[@]} > 0)); then
    if [[ "$(id -u)" == 0 ]]; then
        apt-get install -y --no-install-recommends "${missing[@]}" ||
            { apt-get update && apt-get install -y --no-install-recommends "${missing[@]}"; } ||
            echo "run.sh: cannot install ${missing[*]}: no Qt SQL column" >&2
    else
        echo "run.sh: ${missing[*]} missing (install as root): no Qt SQL column" >&2
    fi
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKRO_BUILD_TESTS=OFF \
    -DKRO_BUILD_BENCH=ON >/dev/null
ninja -C "$build" -j2 bench_database dataset_bench grid_bench look_field_bench

server_dir=""
stop_server() {
    [[ -z "$server_dir" ]] || "$root/scripts/pg-test-server.sh" stop "$server_dir"
}
trap stop_server EXIT
# A server started here runs on the benchmark's core, with the benchmark: a round trip then
# costs a switch between the two processes, where a server woken on another core of a
# virtual machine took 15 us a statement in one run and 90 in the next.
pinned=()
if ((${#mode[@]} > 0)) && [[ -z "${KRO_PG_HOST:-}" ]]; then
    eval "$("$root/scripts/pg-test-server.sh" start)"
    server_dir="$KRO_PG_DIR"
    taskset -a -cp 0 "$(head -n 1 "$server_dir/data/postmaster.pid")" >/dev/null
    pinned=(taskset -c 0)
fi

for rows in 100000 1000000; do
    dir="/tmp/kro-bench-$schema-$rows"
    if [[ ! -f "$dir/tables.sqlite3" ]]; then
        "$build/bench/bench_database" "$dir" "$rows"
    fi
    echo
    "${pinned[@]}" "$build/bench/dataset_bench" "${mode[@]}" "$dir" "$@"
done
echo
"$build/bench/grid_bench" "/tmp/kro-bench-$schema-1000000" "$@"
echo
"${pinned[@]}" "$build/bench/look_field_bench" "${mode[@]}" "/tmp/kro-bench-$schema-1000000" "$@"
