#!/usr/bin/env bash
# Renders the library's base form over the demonstration program's countries and
# languages tables, headless, to OUTPUT_DIR/TbCountry.png and OUTPUT_DIR/TbLang.png for
# review (with the program's other windows, which scripts/render-demo.sh draws).
#   render-baseform.sh [BUILD_DIR [OUTPUT_DIR]]   (defaults: build/debug, build/demo)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

output="${2:-build/demo}"
scripts/render-demo.sh "${1:-build/debug}" "$output" >/dev/null
ls "$output/TbCountry.png" "$output/TbLang.png"
