#!/usr/bin/env bash
# Renders the filter dialog with three condition rows without a screen to a PNG file for
# review.
#   render-filter.sh [BUILD_DIR [OUTPUT_DIR]]   (defaults: build/debug, build/dialogs)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

build="${1:-build/debug}"
output="${2:-build/dialogs}"
cmake --build "$build" -j2 --target filter_tests
mkdir -p "$output"
KRO_DIALOG_PICTURES="$(realpath "$output")" QT_QPA_PLATFORM=offscreen \
    "$build/tests/filter_tests" --gtest_filter='Engines/FilterDialog.Picture/sqlite'
ls "$output"/filter.png
