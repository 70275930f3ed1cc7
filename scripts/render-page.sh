#!/usr/bin/env bash
# Renders the library's grid with the in-place lookup combo open over a cell (its list of
# several columns down), headless, to a PNG (default build/page-grid.png) for review. Uses
# the Release tree of bench/run.sh.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"
out="${1:-$root/build/page-grid.png}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKRO_BUILD_TESTS=OFF \
    -DKRO_BUILD_BENCH=ON >/dev/null
ninja -C "$build" -j2 render_page
QT_QPA_PLATFORM=offscreen "$build/bench/render_page" "$out"
