#!/usr/bin/env bash
# Renders a form with data grids over a demo database of 2,000 people, headless, to a PNG
# (default build/grid.png), and the library's grid over the same people with lookup
# sub-cells, a coloured column and the total row to a second one beside it
# (build/grid-library.png), for review. Uses the Release tree of bench/run.sh.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"
out="${1:-$root/build/grid.png}"
dir="/tmp/kro-render-grid-demo"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKRO_BUILD_TESTS=OFF \
    -DKRO_BUILD_BENCH=ON >/dev/null
ninja -C "$build" -j2 bench_database render_grid render_kro_grid
if [[ ! -f "$dir/tables.sqlite3" ]]; then
    "$build/bench/bench_database" "$dir" 2000
fi
QT_QPA_PLATFORM=offscreen "$build/bench/render_grid" "$dir" "$out"
QT_QPA_PLATFORM=offscreen "$build/bench/render_kro_grid" "$dir" "${out%.png}-library.png"
