#!/usr/bin/env bash
# Writes the API reference to build/docs/html (Doxygen), with the architecture overview
# as its front page. Fails when a public class of the library folders has no comment.
#   docs.sh [OUTPUT_DIR]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

output="${1:-build/docs}"
mkdir -p "$output"
command -v doxygen >/dev/null || {
    echo "docs.sh: doxygen is missing: apt-get install doxygen" >&2
    exit 1
}
version="$(sed -nE 's/^project\(Kro VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)"
folders=(src/platform/rtl src/platform/db src/platform/ui)
for folder in dataset fields controls grid filter search print forms rich clone library; do
    [[ -d "src/$folder" ]] && folders+=("src/$folder")
done
log="$output/warnings.log"
{
    cat docs/Doxyfile
    echo "INPUT = docs/architecture.md ${folders[*]}"
    echo "OUTPUT_DIRECTORY = $output"
    echo "PROJECT_NUMBER = $version"
    echo "WARN_LOGFILE = $log"
} | doxygen -

# Undocumented classes of the library's own folders (not the platform's).
undocumented="$(grep -E '/src/[a-z]+/[^/]+\.h:[0-9]+: warning: Compound .* is not documented' \
    "$log" || true)"
if [[ -n "$undocumented" ]]; then
    echo "$undocumented" >&2
    echo "docs.sh: $(wc -l <<<"$undocumented") undocumented classes in the library folders" >&2
    exit 1
fi
echo "docs.sh: API reference in $output/html/index.html ($(wc -l <"$log") warnings in all," \
    "none for undocumented library classes)"
