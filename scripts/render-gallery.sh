#!/usr/bin/env bash
# Renders the control gallery (src/tools/gallery), headless, to a PNG with one picture per
# page (default build/gallery.png) for review. Uses the Release tree of bench/run.sh.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"
out="${1:-$root/build/gallery.png}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKRO_BUILD_TESTS=OFF \
    -DKRO_BUILD_BENCH=ON >/dev/null
ninja -C "$build" -j2 kro-gallery
QT_QPA_PLATFORM=offscreen "$build/src/tools/gallery/kro-gallery" "$out"
echo "$out"
