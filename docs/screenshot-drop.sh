#!/usr/bin/env bash
# Takes a picture of a file dropped on the main dialog's 保存用 box: the dialog and the question
# over it, frames included, on a virtual X display. The file comes from a small drag source
# speaking the X drag-and-drop protocol (XDND), as a file manager does.
# Usage: docs/screenshot-drop.sh [path/to/pomuru-cipher]   (without a path it builds the program)
# Needs the packages of `scripts/install-deps.sh docs`: xvfb, openbox, x11-utils, imagemagick,
# python3-xlib.
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
mkdir -p "$work/mydata"
head -c 4096 /dev/urandom >"$work/mydata/photo.pmr"

# The frame as docs/screenshot.sh draws it.
cat >"$work/rc.xml" <<'RC'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <theme>
    <name>Clearlooks</name>
    <titleLayout>NLC</titleLayout>
  </theme>
</openbox_config>
RC

# A drag source: enters the window at a point, drops there and hands over the file's URI.
cat >"$work/drop.py" <<'PY'
import sys, time
from Xlib import X, Xatom, display, protocol
window_id, x, y, path = int(sys.argv[1], 16), int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
d = display.Display()
atom = lambda name: d.intern_atom(name)
source = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)
target = d.create_resource_object("window", window_id)
def send(name, *data):
    event = protocol.event.ClientMessage(window=target, client_type=atom(name),
                                         data=(32, [source.id, *data] + [0] * (4 - len(data))))
    target.send_event(event)
    d.flush()
send("XdndEnter", 5 << 24, atom("text/uri-list"))
send("XdndPosition", 0, (x << 16) | y, X.CurrentTime, atom("XdndActionCopy"))
deadline = time.time() + 10
while time.time() < deadline:
    while d.pending_events():
        event = d.next_event()
        if event.type == X.ClientMessage and event.client_type == atom("XdndStatus"):
            send("XdndDrop", 0, X.CurrentTime)
        elif event.type == X.SelectionRequest:
            uri = ("file://" + path + "\r\n").encode()
            event.requestor.change_property(event.property, event.target, 8, uri)
            event.requestor.send_event(protocol.event.SelectionNotify(
                time=event.time, requestor=event.requestor, selection=event.selection,
                target=event.target, property=event.property))
            d.flush()
        elif event.type == X.ClientMessage and event.client_type == atom("XdndFinished"):
            sys.exit(0)
    time.sleep(0.05)
PY

cat >"$work/capture.sh" <<'INNER'
set -euo pipefail
program=$1 work=$2
openbox --sm-disable --config-file "$work/rc.xml" 2>/dev/null &
wm=$!
HOME=$work "$program" &
pid=$!
trap 'kill "$pid" "$wm" 2>/dev/null || true' EXIT
windows() {  # the program's client windows, oldest first
    for id in $(xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -o '0x[0-9a-f]*' || true); do
        if xprop -id "$id" WM_CLASS | grep -q '"pomuru-cipher", "pomuru-cipher"'; then echo "$id"; fi
    done
}
geometry() { xwininfo -id "$1" | awk -v key="$2" '$0 ~ key { print $NF }'; }
dialog=
for _ in $(seq 150); do sleep 0.2; dialog=$(windows | head -1); [ -z "$dialog" ] || break; done
[ -n "$dialog" ] || { echo "the dialog did not appear" >&2; exit 1; }
sleep 1
# The 保存用 box lies at 7, 34 of the template's 251 x 79 dialog units: its middle is dropped on,
# at that point of the screen.
width=$(geometry "$dialog" 'Width:') height=$(geometry "$dialog" 'Height:')
x=$(geometry "$dialog" 'Absolute upper-left X') y=$(geometry "$dialog" 'Absolute upper-left Y')
/usr/bin/python3 "$work/drop.py" "$dialog" $((x + width * 79 / 251)) $((y + height * 42 / 79)) \
    "$work/mydata/photo.pmr" &
question=
for _ in $(seq 50); do
    sleep 0.2
    question=$(windows | grep -vx "$dialog" | head -1 || true)
    [ -z "$question" ] || break
done
[ -n "$question" ] || { echo "no question after the drop" >&2; exit 1; }
sleep 1
# Both windows with their frames: the box over the dialog.
read -r left right top bottom < <(xprop -id "$dialog" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
box() {
    local x y
    x=$(geometry "$1" 'Absolute upper-left X') y=$(geometry "$1" 'Absolute upper-left Y')
    echo $((x - left)) $((y - top)) $((x + $(geometry "$1" 'Width:') + right)) \
        $((y + $(geometry "$1" 'Height:') + bottom))
}
read -r x1 y1 x2 y2 < <(box "$dialog")
read -r a1 b1 a2 b2 < <(box "$question")
x1=$((a1 < x1 ? a1 : x1)) y1=$((b1 < y1 ? b1 : y1)) x2=$((a2 > x2 ? a2 : x2)) y2=$((b2 > y2 ? b2 : y2))
import -window root -crop "$((x2 - x1))x$((y2 - y1))+$x1+$y1" +repage "$work/window.png"
INNER
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 800x600x24" bash "$work/capture.sh" "$program" "$work"
convert "$work/window.png" -strip "$docs/drop-dest.png"
echo "wrote $docs/drop-dest.png"
