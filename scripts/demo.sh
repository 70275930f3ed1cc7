#!/usr/bin/env bash
# Installs the dependencies, builds the release tree and starts the demonstration program.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/install-deps.sh
scripts/build.sh release

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "demo.sh: error: no graphical display (DISPLAY or WAYLAND_DISPLAY is not set)" >&2
    exit 1
fi
exec build/release/src/demo/Example "$@"
