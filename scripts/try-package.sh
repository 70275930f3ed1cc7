#!/usr/bin/env bash
# Installs the Debian packages scripts/package.sh made on a fresh Debian 12 system (a
# chroot made with debootstrap when missing) and starts the installed demonstration
# program the way its menu entry does, headless: it must make its database in the user's
# data folder and keep running.
#   try-package.sh [CHROOT_DIR]   (default /tmp/kro-clean-root; needs root and the network)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

target="${1:-/tmp/kro-clean-root}"
packages=(build/package/kro_*.deb)
[[ -e "${packages[0]}" ]] || { echo "try-package.sh: run scripts/package.sh first" >&2; exit 1; }

if [[ ! -x "$target/usr/bin/apt-get" ]]; then
    command -v debootstrap >/dev/null || apt-get install -y -q debootstrap
    debootstrap --variant=minbase bookworm "$target" http://deb.debian.org/debian
fi
cp /etc/resolv.conf "$target/etc/resolv.conf"
cp "${packages[@]}" "$target/tmp/"
mountpoint -q "$target/proc" || mount -t proc proc "$target/proc"
trap 'umount "$target/proc"' EXIT

chroot "$target" sh -c 'apt-get update -q && DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q /tmp/kro_*.deb' >/dev/null
command="$(sed -n 's/^Exec=//p' "$target/usr/share/applications/kro-example.desktop")"
data="$target/root/.local/share/kro-example"
rm -rf "$data"
status=0
chroot "$target" env HOME=/root QT_QPA_PLATFORM=offscreen timeout 20 "$command" || status=$?
if [[ $status -ne 124 ]]; then
    echo "try-package.sh: the installed $command ended early (status $status)" >&2
    exit 1
fi
[[ -s "$data/tables.sqlite3" ]] || { echo "try-package.sh: no database in $data" >&2; exit 1; }
echo "try-package.sh: $command ran from the menu entry and made $data/tables.sqlite3"
