#!/usr/bin/env bash
# Installs the dependencies, builds the debug (sanitized) tree and runs every test.
# Fails when a test fails or when no test ran.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/install-deps.sh
scripts/build.sh debug

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

log="$(mktemp)"
trap 'rm -f "$log"' EXIT

status=0
ctest --test-dir build/debug --output-on-failure -j2 --no-tests=error 2>&1 | tee "$log" ||
    status=$?

if grep -q "No tests were found" "$log"; then
    echo "test.sh: error: no test ran" >&2
    exit 1
fi
total="$(sed -nE 's/.*tests passed, [0-9]+ tests? failed out of ([0-9]+).*/\1/p' "$log" | tail -n 1)"
if [[ -z "$total" || "$total" -eq 0 ]]; then
    echo "test.sh: error: ctest reported no test run" >&2
    exit 1
fi
exit "$status"
