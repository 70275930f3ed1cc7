#!/usr/bin/env bash
# Renders the library grid's one-record page of a person, opened through the grid's menu,
# headless, to a PNG (default build/page-record.png) for review. Uses the Release tree of
# bench/run.sh.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"
out="${1:-$root/build/page-record.png}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKRO_BUILD_TESTS=OFF \
    -DKRO_BUILD_BENCH=ON >/dev/null
ninja -C "$build" -j2 render_record_page
QT_QPA_PLATFORM=offscreen "$build/bench/render_record_page" "$out"
