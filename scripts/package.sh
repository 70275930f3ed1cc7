#!/usr/bin/env bash
# Builds the shared libraries and the programs for /usr in build/package and makes the
# Debian packages kro (libraries, Example, kro-copydb, menu entry) and kro-dev (headers,
# CMake package, pkg-config) there:
#   apt install ./build/package/kro_*.deb ./build/package/kro-dev_*.deb
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/install-deps.sh
# dpkg-shlibdeps works out the packages the programs need.
if ! dpkg-query -W -f='${Status}' dpkg-dev 2>/dev/null | grep -q "install ok installed"; then
    apt-get install -y --no-install-recommends dpkg-dev
fi
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DKRO_SHARED=ON \
    -DKRO_BUILD_TESTS=OFF -DKRO_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr
cmake --build build/package -j2
(cd build/package && cpack)
ls -1 build/package/*.deb
