#!/usr/bin/env bash
# Renders printing without a screen to PNG files for review: the first page of a people
# table printed in graphics mode (people-page1.png) and the pages of the print settings
# dialog (print-dialog-N.png).
#   render-print.sh [BUILD_DIR [OUTPUT_DIR]]   (defaults: build/debug, build/print)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

build="${1:-build/debug}"
output="${2:-build/print}"
cmake --build "$build" -j2 --target print_tests
mkdir -p "$output"
KRO_PRINT_PICTURES="$(realpath "$output")" QT_QPA_PLATFORM=offscreen \
    "$build/tests/print_tests" --gtest_filter='PrintPictures.*'
ls "$output"/*.png
