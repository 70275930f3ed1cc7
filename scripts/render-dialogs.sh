#!/usr/bin/env bash
# Renders the library's dialogs without a screen to PNG files for review.
#   render-dialogs.sh [BUILD_DIR [OUTPUT_DIR]]   (defaults: build/debug, build/dialogs)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

build="${1:-build/debug}"
output="${2:-build/dialogs}"
cmake --build "$build" -j2 --target forms_tests rich_tests
mkdir -p "$output"
KRO_DIALOG_PICTURES="$(realpath "$output")" QT_QPA_PLATFORM=offscreen \
    "$build/tests/forms_tests" --gtest_filter='DialogPictures.*'
KRO_DIALOG_PICTURES="$(realpath "$output")" QT_QPA_PLATFORM=offscreen \
    "$build/tests/rich_tests" --gtest_filter='RichDialogPictures.*'
ls "$output"/*.png
