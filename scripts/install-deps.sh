#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test and run the project.
# Does nothing when they are all present already.
set -euo pipefail

packages=(
    g++
    cmake
    ninja-build
    ccache
    pkg-config
    qt6-base-dev
    qt6-base-dev-tools
    libgl-dev
    libgtest-dev
    libgmock-dev
    libsqlite3-dev
    libpq-dev
    postgresql
    libcups2-dev
    cups-daemon
    cups-client
    fonts-liberation
    fonts-dejavu-core
    fonts-urw-base35
    adwaita-icon-theme
    poppler-utils
    doxygen
    clang-14
    libclang-rt-14-dev
)

is_installed() {
    [[ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" == "install ok installed" ]]
}

missing=()
for package in "${packages[@]}"; do
    is_installed "$package" || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
    echo "install-deps: all ${#packages[@]} packages are installed."
    exit 0
fi

echo "install-deps: missing packages: ${missing[*]}"
if ((EUID != 0)); then
    echo "install-deps: error: installing packages needs root; run this script as root" \
        "or install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt_options=(-qq -y -o DPkg::Lock::Timeout=600 -o Dpkg::Use-Pty=0)
apt-get "${apt_options[@]}" update
apt-get "${apt_options[@]}" install --no-install-recommends "${missing[@]}" </dev/null

for package in "${missing[@]}"; do
    if ! is_installed "$package"; then
        echo "install-deps: error: $package is still not installed" >&2
        exit 1
    fi
done
echo "install-deps: installed ${missing[*]}."
