#!/usr/bin/env bash
# Takes a picture of the main dialog, window frame included, on a virtual X display.
# Usage: docs/screenshot.sh [path/to/pomuru-cipher]   (without a path it builds the program)
# Needs the packages of `scripts/install-deps.sh docs`: xvfb, openbox, x11-utils, imagemagick.
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

# A plain window manager draws the frame. Its title bar shows the buttons the dialog asks for,
# icon, title and close; openbox would add minimise and maximise buttons of its own.
cat >"$work/rc.xml" <<'RC'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <theme>
    <name>Clearlooks</name>
    <titleLayout>NLC</titleLayout>
  </theme>
</openbox_config>
RC

# Inside the virtual display: start the window manager and the program, wait for the program's
# window, and capture it with its frame.
cat >"$work/capture.sh" <<'INNER'
set -euo pipefail
program=$1 work=$2
openbox --sm-disable --config-file "$work/rc.xml" 2>/dev/null &
wm=$!
"$program" &
pid=$!
trap 'kill "$pid" "$wm" 2>/dev/null || true' EXIT
window=
for _ in $(seq 50); do
    sleep 0.2
    for id in $(xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -o '0x[0-9a-f]*' || true); do
        if xprop -id "$id" WM_CLASS | grep -q '"pomuru-cipher", "pomuru-cipher"'; then
            window=$id
        fi
    done
    [ -z "$window" ] || break
done
[ -n "$window" ] || { echo "the dialog did not appear" >&2; exit 1; }
sleep 1  # let it paint
read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
geometry() { xwininfo -id "$window" | awk -v key="$1" '$0 ~ key { print $NF }'; }
x=$(geometry 'Absolute upper-left X') y=$(geometry 'Absolute upper-left Y')
width=$(geometry 'Width:') height=$(geometry 'Height:')
import -window root \
    -crop "$((width + left + right))x$((height + top + bottom))+$((x - left))+$((y - top))" \
    +repage "$work/window.png"
INNER
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 800x600x24" bash "$work/capture.sh" "$program" "$work"
convert "$work/window.png" -strip "$docs/main-dialog.png"
echo "wrote $docs/main-dialog.png"
