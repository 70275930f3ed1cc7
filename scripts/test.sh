#!/usr/bin/env bash
# Installs the dependencies, builds the debug (sanitized) tree, starts a throwaway
# PostgreSQL server and a throwaway CUPS scheduler and runs every test, then each fuzz target
# for a few seconds. Fails when a test fails or when no test ran.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/install-deps.sh
scripts/build.sh debug

export QT_QPA_PLATFORM=offscreen
# The sanitizer's own record of dynamically loaded thread-local blocks goes stale when a
# library is unloaded, and its leak check at exit of the platform tests
# then crashed reading one; without it those blocks are not scanned, which can only add
# reports, never hide one.
export ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

log="$(mktemp)"
pg_dir=""
cups_dir=""
cleanup() {
    rm -f "$log"
    if [[ -n "$pg_dir" ]]; then
        scripts/pg-test-server.sh stop "$pg_dir" || true
    fi
    if [[ -n "$cups_dir" ]]; then
        scripts/cups-test-server.sh stop "$cups_dir" || true
    fi
}
trap cleanup EXIT

# A throwaway PostgreSQL server for the tests of that engine. They must reach it here:
# without it they fail rather than skip.
export KRO_PG_REQUIRED=1
if pg_env="$(scripts/pg-test-server.sh start)"; then
    eval "$pg_env"
    pg_dir="$KRO_PG_DIR"
else
    echo "test.sh: error: the PostgreSQL test server did not start; its tests will fail" >&2
fi

# The same for the printing tests and their CUPS scheduler.
export KRO_CUPS_REQUIRED=1
if cups_env="$(scripts/cups-test-server.sh start)"; then
    eval "$cups_env"
    cups_dir="$KRO_CUPS_DIR"
else
    echo "test.sh: error: the CUPS test scheduler did not start; its tests will fail" >&2
fi

status=0
ctest --test-dir build/debug --output-on-failure -j2 --no-tests=error 2>&1 | tee "$log" ||
    status=$?

# A short run of every fuzz target, so that a regression shows at once.
scripts/fuzz.sh 10 || status=1

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
