#!/usr/bin/env bash
# Configures and builds the project with CMake and Ninja.
#   build.sh release  -> build/release: optimised, without tests, for the demo (default)
#   build.sh debug    -> build/debug: debug with AddressSanitizer and UBSan, with tests
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

mode="${1:-release}"
case "$mode" in
release) options=(-DCMAKE_BUILD_TYPE=Release -DKRO_SANITIZE=OFF -DKRO_BUILD_TESTS=OFF) ;;
debug) options=(-DCMAKE_BUILD_TYPE=Debug -DKRO_SANITIZE=ON -DKRO_BUILD_TESTS=ON) ;;
*)
    echo "usage: $0 [debug|release]" >&2
    exit 2
    ;;
esac

cmake -S . -B "build/$mode" -G Ninja "${options[@]}"
cmake --build "build/$mode" -j2
