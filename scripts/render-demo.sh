#!/usr/bin/env bash
# Renders the demonstration program's main form, the edit forms its buttons open and every
# tab of the people form, headless, to PNG files for review; the two pictures the README
# shows are copied to docs/pictures.
#   render-demo.sh [BUILD_DIR [OUTPUT_DIR]]   (defaults: build/debug, build/demo)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

build="${1:-build/debug}"
output="${2:-build/demo}"
cmake --build "$build" -j2 --target demo_tests
mkdir -p "$output" docs/pictures
KRO_DEMO_PICTURES="$(realpath "$output")" QT_QPA_PLATFORM=offscreen \
    "$build/tests/demo_tests" --gtest_filter='ExampleProgram.Pictures'
cp "$output/people-grid.png" "$output/people-lookups.png" docs/pictures/
ls "$output"/*.png
