#!/usr/bin/env bash
# Builds the parsers' libFuzzer targets with clang (build/fuzz) and runs each for the
# given number of seconds (default 60), seeded from fuzz/corpus/<target>; what a run finds
# stays in build/fuzz/corpus-<target>. Fails on the first crash or sanitizer report; without clang it
# says so and does nothing.
#   fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

seconds="${1:-60}"
compiler="$(command -v clang++-14 || command -v clang++ || true)"
if [[ -z "$compiler" ]]; then
    echo "fuzz.sh: clang++ is not installed; no fuzzing" >&2
    exit 0
fi

cmake -S fuzz -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="$compiler" >/dev/null
cmake --build build/fuzz -j2

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
for target in FormText Filter LocalSql ShortCutColor; do
    # New inputs go to the build tree; the seeds in the repository are read only.
    found="build/fuzz/corpus-$target"
    mkdir -p "$found"
    echo "fuzz.sh: $target for ${seconds}s"
    status=0
    "build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
        -artifact_prefix="build/fuzz/$target-" "$found" "fuzz/corpus/$target" >"$log" 2>&1 ||
        status=$?
    grep -E "^Done [0-9]+ runs" "$log" || true
    if ((status != 0)); then
        tail -n 60 "$log" >&2
        echo "fuzz.sh: $target found a fault (build/fuzz/$target-*)" >&2
        exit 1
    fi
done
