#!/usr/bin/env bash
# Renders, headless, for review: the library's grid with the in-place lookup combo open
# over a cell (its list of several columns down) to build/page-grid.png, and the grid's
# one-record page of a person, opened through the grid's menu, to build/page-record.png.
# An argument names another folder for the two pictures. Uses the Release tree of
# bench/run.sh.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"
out="${1:-$root/build}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKRO_BUILD_TESTS=OFF \
    -DKRO_BUILD_BENCH=ON >/dev/null
ninja -C "$build" -j2 render_page render_record_page
QT_QPA_PLATFORM=offscreen "$build/bench/render_page" "$out/page-grid.png"
QT_QPA_PLATFORM=offscreen "$build/bench/render_record_page" "$out/page-record.png"
