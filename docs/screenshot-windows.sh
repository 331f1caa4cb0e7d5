#!/usr/bin/env bash
# Takes a picture of the Windows program's main dialog under Wine, in a Wine desktop that draws
# the Windows window frame.
# Usage: docs/screenshot-windows.sh [path/to/pomuru-cipher.exe]   (without a path it builds the
# program with the windows preset). Needs `scripts/install-deps.sh windows` and imagemagick.
set -euo pipefail

docs=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$docs")
program=${1:-}
if [ -z "$program" ]; then
    cmake --preset windows -DPOMURU_BUILD_TESTS=OFF >/dev/null
    cmake --build --preset windows --target pomuru-cipher -j2 >/dev/null
    program="$root/build/windows/app/pomuru-cipher.exe"
fi
program=$(realpath "$program")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Inside the virtual display: start the program in a Wine desktop of the display's size, find
# the dialog by its caption, and capture it with its frame.
cat >"$work/capture.sh" <<'INNER'
set -euo pipefail
root=$1 program=$2 work=$3
# The desktop's own explorer stays until wineserver ends it.
"$root/cmake/wine-run.sh" win64 explorer /desktop=shot,800x600 "$program" &
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
caption="ぽむるの暗号　＼（⌒∇⌒）／"
line=
for _ in $(seq 100); do
    sleep 0.3
    line=$(xwininfo -root -tree | grep -F "\"$caption\"" || true)
    [ -z "$line" ] || break
done
[ -n "$line" ] || { echo "the dialog did not appear" >&2; exit 1; }
# "… 445x153+177+223  +177+223": size, then the position on the screen.
read -r size screen < <(echo "$line" | grep -oE '[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+ +\+-?[0-9]+\+-?[0-9]+' |
                        sed -E 's/^([0-9]+x[0-9]+)\+[-0-9]+\+[-0-9]+ +(.*)$/\1 \2/')
# The window is there before it is drawn: wait until it shows more than the desktop's colour.
for _ in $(seq 40); do
    sleep 0.5
    import -window root -crop "$size$screen" +repage "$work/window.png"
    [ "$(convert "$work/window.png" -format %k info:)" -gt 16 ] && break
done
sleep 1  # the last controls
import -window root -crop "$size$screen" +repage "$work/window.png"
INNER
xvfb-run -a -s "-screen 0 800x600x24" bash "$work/capture.sh" "$root" "$program" "$work"
convert "$work/window.png" -strip "$docs/main-dialog-windows.png"
echo "wrote $docs/main-dialog-windows.png"
