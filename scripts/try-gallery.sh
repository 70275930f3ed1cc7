#!/usr/bin/env bash
# Tries the control gallery (src/tools/gallery) as a person would: a real window on a
# virtual X server with a window manager, driven with keys and clicks, photographed after
# each step into build/try-gallery/ (or the directory given):
#   01-general.png        the gallery as it opens
#   02-check-focus.png    the focus frame on a check box reached with Tab
#   03-memo-menu.png      the memo's own popup menu after a right click
#   04-data.png           the data page: grid, lookup combo, image
#   05-lookup-keys.png    the lookup combo's list dropped down with Alt+Down
#   06-lookup-click.png   the list dropped down with a click on the arrow
#   07-alt-tab.png        the pictures page, chosen with Alt and its tab's accelerator
#   08-alt-tab.png        the general page, the same way
# Installs Xvfb, x11-utils, openbox, xdotool and ImageMagick when missing; builds kro-gallery
# in the debug tree.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${1:-$root/build/try-gallery}"
display=":${TRY_GALLERY_DISPLAY:-97}"

missing=()
for tool in Xvfb:xvfb xdpyinfo:x11-utils openbox:openbox xdotool:xdotool import:imagemagick; do
    command -v "${tool%%:*}" >/dev/null || missing+=("${tool##*:}")
done
if ((${#missing[@]})); then
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$root/build/debug" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKRO_SANITIZE=ON \
    -DKRO_BUILD_TESTS=ON >/dev/null
cmake --build "$root/build/debug" -j2 --target kro-gallery
mkdir -p "$out"

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break || sleep 0.2; done
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb "$root/build/debug/src/tools/gallery/kro-gallery" &
pids+=($!)

window="$(xdotool search --sync --onlyvisible --name 'Control gallery' | head -1)"
xdotool windowactivate --sync "$window"
sleep 1

shot() {
    sleep 0.7
    import -window root "$out/$1.png"
    echo "$out/$1.png"
}
key() {
    xdotool key --window "$window" --delay 150 "$@"
    sleep 0.3
}
# Clicks at X,Y of the window's client area (menu bar included) with button B.
click() {
    xdotool mousemove --window "$window" "$1" "$2" click "$3"
    sleep 0.3
}

shot 01-general
# The name edit through its label's accelerator, then Tab over phone, age and country.
key alt+n Tab Tab Tab Tab
shot 02-check-focus
# A right click on the notes memo at the right of the general page.
click 620 200 3
shot 03-memo-menu
key Escape
# Ctrl+Tab twice: the data page.
key ctrl+Tab ctrl+Tab
shot 04-data
# The kind lookup through its label's accelerator, then Alt+Down.
key alt+k alt+Down
shot 05-lookup-keys
key Escape
# The arrow at the right end of the lookup combo (80, 234, 200 x 24 on the page).
click 272 "${TRY_GALLERY_ARROW_Y:-332}" 1
shot 06-lookup-click
key Escape
# The tabs' accelerators: "Pictures and te&xt", then "&General".
key alt+x
shot 07-alt-tab
key alt+g
shot 08-alt-tab
