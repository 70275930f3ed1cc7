#!/usr/bin/env bash
# Renders the library's lookup combo with its drop-down open (a level passed, header line,
# several columns), headless, to a PNG (default build/combos.png) for review. Uses the
# Release tree of bench/run.sh.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"
out="${1:-$root/build/combos.png}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKRO_BUILD_TESTS=OFF \
    -DKRO_BUILD_BENCH=ON >/dev/null
ninja -C "$build" -j2 render_combos
QT_QPA_PLATFORM=offscreen "$build/bench/render_combos" "$out"
