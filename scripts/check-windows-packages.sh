#!/usr/bin/env bash
# Builds the Windows packages in a configured windows or windows-x86 build directory and checks
# them: the zip's files and the window program's resources, and the installer installed (with
# its Start-menu and Send to entries) and uninstalled again under Wine (not with --without-wine,
# for an architecture Wine cannot run).
# Usage: scripts/check-windows-packages.sh BUILD_DIR win64|win32 [--without-wine]
set -euo pipefail

usage="usage: $0 BUILD_DIR win64|win32 [--without-wine]"
[ $# -eq 2 ] || { [ $# -eq 3 ] && [ "$3" = --without-wine ]; } || { echo "$usage" >&2; exit 2; }
build=$(cd "$1" && pwd)
arch=$2
with_wine=1
[ $# -eq 3 ] && with_wine=0
root=$(cd "$(dirname "$0")/.." && pwd)
out="$build/package"
mkdir -p "$out"
rm -f "$out"/*.zip "$out"/*.exe

if ! (cd "$build" && cpack -B "$out" >"$out.log" 2>&1); then
    cat "$out.log" >&2
    echo "check-windows-packages: cpack failed in $build" >&2
    exit 1
fi
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
name="pomuru-cipher-$version-$arch"
zip="$out/$name.zip"
installer="$out/$name.exe"

failures=()
[ -f "$zip" ] || failures+=("no zip: $zip")
[ -f "$installer" ] || failures+=("no installer: $installer")
if [ -f "$zip" ]; then
    contents=$(unzip -Z1 "$zip")
    for file in pomuru-cipher.exe pomuru-cipher-cli.exe LICENSE.txt; do
        grep -qx "$name/$file" <<<"$contents" || failures+=("zip lacks $name/$file")
    done
fi

# The window program file's own resources, read as Windows reads them: icon 128 with its four
# sizes, the version record, the manifest with per-monitor DPI awareness.
if [ -f "$zip" ]; then
    exe=$(mktemp --suffix=.exe)
    unzip -p "$zip" "$name/pomuru-cipher.exe" >"$exe"
    wrestool -x -t 14 -n 128 "$exe" >"$exe.ico"
    sizes=$(icotool -l "$exe.ico" 2>/dev/null | grep -o -- '--width=[0-9]*' | tr '\n' ' ')
    [ "$sizes" = "--width=16 --width=32 --width=48 --width=256 " ] ||
        failures+=("icon 128 of pomuru-cipher.exe has the sizes: ${sizes:-none}")
    # The version record's Japanese block, its texts read back as UTF-16 (a wrong code page in
    # the .rc would garble them).
    record=$(wrestool -x --raw -t 16 "$exe" | iconv -c -f UTF-16LE -t UTF-8 | tr '\0' '\n')
    grep -qa "041104b0$" <<<"$record" && grep -qax "ぽむるの暗号" <<<"$record" ||
        failures+=("pomuru-cipher.exe has no version record in Japanese (041104b0, ぽむるの暗号)")
    wrestool -x --raw -t 24 -n 1 "$exe" | grep -q PerMonitorV2 ||
        failures+=("pomuru-cipher.exe has no manifest asking for per-monitor DPI awareness")
    # The command line loads no window library: with one loaded, the console no longer tells it
    # of a log-off or shut-down, and a run then could not clean up.
    unzip -p "$zip" "$name/pomuru-cipher-cli.exe" >"$exe"
    case $arch in win32) objdump=i686-w64-mingw32-objdump ;; *) objdump=x86_64-w64-mingw32-objdump ;; esac
    imports=$("$objdump" -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
    [ "$imports" = "kernel32.dll msvcrt.dll " ] ||
        failures+=("pomuru-cipher-cli.exe imports more than the kernel and the C runtime: $imports")
    # Run with the user's rights: without a manifest saying so, a 32-bit program's writes into a
    # protected folder would be redirected to the VirtualStore.
    wrestool -x --raw -t 24 -n 1 "$exe" | grep -q 'requestedExecutionLevel level="asInvoker"' ||
        failures+=("pomuru-cipher-cli.exe has no manifest asking for the user's rights")
    rm -f "$exe" "$exe.ico"
fi

if [ -f "$installer" ] && [ $with_wine -eq 1 ]; then
    # A dialog that waits for an answer (one left behind by an earlier, interrupted check asks
    # about the old installation) fails the check instead of blocking it.
    wine() { timeout 120 "$root/cmake/wine-run.sh" "$arch" "$@"; }
    # Installed for all users, silently, into a folder of our own; the uninstaller is run in
    # place (_?=) so that it is finished when it returns.
    target='C:\pomuru-cipher-check'
    unix_target="${WINEPREFIX:-$root/build/wine}/drive_c/pomuru-cipher-check"
    start_menu="${WINEPREFIX:-$root/build/wine}/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ぽむるの暗号"
    # The optional Send to part, ticked unless the user unticks it: the installing user's.
    send_to=$(echo "${WINEPREFIX:-$root/build/wine}"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/SendTo)/ぽむるの暗号.lnk
    rm -f "$send_to"
    rm -rf "$unix_target"
    wine "$installer" /S "/D=$target" </dev/null >/dev/null 2>&1 || failures+=("the installer failed")
    for file in pomuru-cipher.exe pomuru-cipher-cli.exe Uninstall.exe; do
        [ -f "$unix_target/$file" ] || failures+=("not installed: $file")
    done
    [ -f "$start_menu/ぽむるの暗号.lnk" ] || failures+=("no Start-menu entry ぽむるの暗号")
    [ -f "$send_to" ] || failures+=("no Send to entry ぽむるの暗号")
    wine "$unix_target/Uninstall.exe" /S "_?=$target" </dev/null >/dev/null 2>&1 ||
        failures+=("the uninstaller failed")
    for file in pomuru-cipher.exe pomuru-cipher-cli.exe; do
        [ ! -e "$unix_target/$file" ] || failures+=("left after uninstalling: $file")
    done
    [ ! -e "$start_menu" ] || failures+=("Start-menu entry left after uninstalling")
    [ ! -e "$send_to" ] || failures+=("Send to entry left after uninstalling")
    rm -rf "$unix_target"
fi

if [ ${#failures[@]} -ne 0 ]; then
    echo "check-windows-packages: the $arch packages are not right:" >&2
    printf '  %s\n' "${failures[@]}" >&2
    exit 1
fi
untried=
[ $with_wine -eq 1 ] || untried=" (the installer not tried: no Wine for $arch)"
echo "check-windows-packages: $(basename "$zip") and $(basename "$installer") are complete$untried"
