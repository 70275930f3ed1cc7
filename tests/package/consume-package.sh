#!/usr/bin/env bash
# Installs the built tree into a scratch prefix, then builds two programs against that
# installation alone: the customers example through find_package(Kro), and a probe through
# pkg-config. Both run headless; the example checks what it showed and printed.
#   consume-package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1"
source="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export QT_QPA_PLATFORM=offscreen

# Runs a step quietly; its output is shown when it fails.
quietly() {
    "$@" >"$scratch/step.log" 2>&1 || { cat "$scratch/step.log"; exit 1; }
}

quietly cmake --install "$build" --prefix "$scratch/prefix"
generator=()
launcher=()
command -v ninja >/dev/null && generator=(-G Ninja)
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

quietly cmake -S "$source/examples/customers" -B "$scratch/customers" "${generator[@]}" \
    "${launcher[@]}" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_PREFIX_PATH="$scratch/prefix"
quietly cmake --build "$scratch/customers" -j2
mkdir "$scratch/data"
"$scratch/customers/customers" --check "$scratch/data"

# lib/ or, for a tree configured for /usr, lib/<multiarch>/.
PKG_CONFIG_PATH="$(dirname "$(find "$scratch/prefix" -name kro.pc | head -1)")"
export PKG_CONFIG_PATH
# shellcheck disable=SC2046 # the flags are words
${CXX:-c++} -std=c++20 -o "$scratch/probe" "$source/tests/package/PkgConfigProbe.cpp" \
    $(pkg-config --cflags --libs --static kro)
# A shared build's libraries lie in the scratch prefix, not where the loader looks.
LD_LIBRARY_PATH="$(dirname "$PKG_CONFIG_PATH")" "$scratch/probe"
