#!/usr/bin/env bash
# Takes a picture of the main dialog on a virtual X display, for the README.
# Usage: docs/screenshot.sh [path/to/pomuru-cipher]   (without a path it builds the program)
# Needs: xvfb (xvfb-run), x11-utils (xwininfo, xprop), imagemagick, fonts-noto-cjk.
set -euo pipefail

docs=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$docs")
program=${1:-}
if [ -z "$program" ]; then
    cmake -S "$root" -B "$root/build/screenshot" -DCMAKE_BUILD_TYPE=Release \
          -DPOMURU_BUILD_TESTS=OFF >/dev/null
    cmake --build "$root/build/screenshot" --target pomuru-cipher -j2 >/dev/null
    program="$root/build/screenshot/app/pomuru-cipher"
fi
program=$(realpath "$program")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Inside the virtual display: start the program, wait for its window, capture it and its title.
cat >"$work/capture.sh" <<'INNER'
set -euo pipefail
program=$1 work=$2
"$program" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
window=
for _ in $(seq 50); do
    sleep 0.2
    window=$(xwininfo -root -children | awk '/\("pomuru-cipher" "pomuru-cipher"\)/ { print $1; exit }')
    if [ -n "$window" ] && xwininfo -id "$window" | grep -q IsViewable; then
        break
    fi
done
[ -n "$window" ] || { echo "the dialog did not appear" >&2; exit 1; }
sleep 1  # let it paint
import -window "$window" "$work/client.png"
xprop -id "$window" -notype _NET_WM_NAME | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p' >"$work/title.txt"
INNER
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 800x600x24" bash "$work/capture.sh" "$program" "$work"

# The virtual display has no window manager, hence no frame: draw a plain title bar with the
# window's own title and icon above the captured client area.
width=$(identify -format '%w' "$work/client.png")
font=$(fc-match -f '%{file}' 'Noto Sans CJK JP')
convert -size "${width}x26" xc:'#3c4a5c' \
    \( "$root/res/icons/mainframe.png" -resize 18x18 \) -geometry +5+4 -composite \
    -font "$font" -pointsize 13 -fill white -gravity west -annotate +30+0 "$(cat "$work/title.txt")" \
    -gravity east -pointsize 14 -annotate +9+0 '×' \
    "$work/title.png"
convert "$work/title.png" "$work/client.png" -append -bordercolor '#3c4a5c' -border 1 -strip \
    "$docs/main-dialog.png"
echo "wrote $docs/main-dialog.png"
