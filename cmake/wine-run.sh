#!/bin/sh
# Runs a cross-built Windows program under Wine: the CMAKE_CROSSCOMPILING_EMULATOR of the
# Windows builds, through which ctest starts every Windows test.
# Usage: cmake/wine-run.sh win64|win32 PROGRAM.exe [ARGUMENT]...
# The Wine prefix is $WINEPREFIX, by default build/wine in the source tree; it is made on first
# use. A program that Wine cannot start is a failure (status 127), never a silent success.
set -eu

arch=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:=$(dirname "$here")/build/wine}"
: "${WINEDEBUG:=-all}"
# Neither Wine's .NET nor its browser engine is needed; installing them would need the network.
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES

# Debian's `wine` picks its 32-bit loader whenever that is installed, even for 64-bit programs,
# so each architecture names its own loader.
case $arch in
    win64) loader=/usr/lib/wine/wine64 ;;
    win32) loader=/usr/lib/wine/wine ;;
    *) echo "usage: $0 win64|win32 PROGRAM [ARGUMENT]..." >&2; exit 2 ;;
esac
if ! "$loader" --version >/dev/null 2>&1; then
    echo "wine-run.sh: Wine for $arch cannot run on this machine ($loader)." >&2
    [ "$arch" = win32 ] &&
        echo "wine-run.sh: it needs wine32:i386 and a kernel that runs 32-bit programs." >&2
    exit 127
fi

# Wine's server and its system processes (services.exe and the like) outlive the program that
# started them, and would hold its output pipes open: ctest would wait for them until they end.
# So they are started here, detached, once for all tests; parallel tests wait for that.
mkdir -p "$WINEPREFIX"
(
    flock 9
    # Status 0: no server was running, this one stays a minute after the last program.
    # The lock's descriptor is closed for them: a server holding it would block the next test.
    if wineserver --persistent=60 </dev/null >/dev/null 2>&1 9>&- ||
        [ ! -f "$WINEPREFIX/.initialised" ]; then
        if [ -f "$WINEPREFIX/.initialised" ]; then
            /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1 9>&- || true
        else
            /usr/lib/wine/wine64 wineboot --init </dev/null >/dev/null 2>&1 9>&- &&
                touch "$WINEPREFIX/.initialised"
        fi
    fi
    # The window program's fonts, once per prefix.
    if [ -f "$WINEPREFIX/.initialised" ] && [ ! -f "$WINEPREFIX/.window-fonts" ]; then
        "$here/wine-prefix-setup.sh" 9>&- && touch "$WINEPREFIX/.window-fonts"
    fi
) 9>"$WINEPREFIX.lock"

exec "$loader" "$@"
