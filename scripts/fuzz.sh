#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/<target>Target.cpp) with clang (build/fuzz) and runs
# each for the given number of seconds (default 60), seeded from fuzz/corpus/<target>, and
# says how many inputs each ran; what a run finds stays in build/fuzz/corpus-<target>.
# Fails when a target finds a crash, hang, leak or sanitizer report; without clang it
# says so and does nothing.
#   fuzz.sh [seconds [parallel]]   (60 s a target, one target at a time)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

seconds="${1:-60}"
parallel="${2:-1}"
compiler="$(command -v clang++-14 || command -v clang++ || true)"
if [[ -z "$compiler" ]]; then
    echo "fuzz.sh: clang++ is not installed; no fuzzing" >&2
    exit 0
fi

cmake -S fuzz -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE= \
    -DCMAKE_CXX_COMPILER="$compiler" >/dev/null
cmake --build build/fuzz -j2

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp"

# Runs one target, its log in build/fuzz/<target>.log.
run() {
    local target="$1"
    local log="build/fuzz/$target.log"
    # New inputs go to the build tree; the seeds in the repository are read only. Paths are
    # absolute: the targets that need the whole platform work in a folder of their own.
    local found="$PWD/build/fuzz/corpus-$target"
    mkdir -p "$found"
    if "build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
        -artifact_prefix="$PWD/build/fuzz/$target-" "$found" "$PWD/fuzz/corpus/$target" \
        >"$log" 2>&1; then
        echo "fuzz.sh: $target: $(grep -oE '^Done [0-9]+ runs' "$log" | tail -n 1) in ${seconds}s"
    else
        tail -n 60 "$log" >&2
        echo "fuzz.sh: $target found a fault (build/fuzz/$target-*, build/fuzz/$target.log)" >&2
        return 1
    fi
}

status=0
running=()
for source in fuzz/*Target.cpp; do
    run "$(basename "$source" Target.cpp)" &
    running+=($!)
    if ((${#running[@]} >= parallel)); then
        wait "${running[0]}" || status=1
        running=("${running[@]:1}")
    fi
done
for pid in "${running[@]}"; do
    wait "$pid" || status=1
done
exit "$status"
