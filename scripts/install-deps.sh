#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those missing, quietly when all are there.
# Usage: scripts/install-deps.sh [build|test|ci|bench|docs|windows|web]   (build is part of every level)
# test: GoogleTest, the packaging validators, and for the window tests a session bus of their
# own, Xvfb and AT-SPI with its Python binding.
# ci: what the tests need, the Debian package's tools, and clang with its libFuzzer and sanitizer
# runtimes for scripts/fuzz.sh.
# windows: the MinGW-w64 cross compilers for x86_64 and i686, Wine for both (the 32-bit half needs
# Debian's i386 architecture), GoogleTest's sources to cross-build (and built for the
# command line's tests, run from Linux), and Xvfb for window tests;
# Wine's fonts and the Japanese locale's sources for those, icotool for the program's icon, and
# NSIS and unzip for the packages.
# web: Emscripten for the page's conversion core, Node to test that core, Chromium and Python's
# WebSocket client to drive the page through the DevTools protocol and Firefox ESR through
# WebDriver BiDi, zip for the page's archive.
set -euo pipefail

level=${1:-build}
packages=(g++ make cmake pkg-config qt6-base-dev qt6-wayland libgl-dev qt6-translations-l10n
          fonts-ipafont-gothic fonts-noto-cjk)
# The window tests' private session bus, and the accessibility test's X display and AT-SPI.
window_tests=(dbus-daemon xvfb at-spi2-core python3-pyatspi)
foreign_arch=
case "$level" in
    build) ;;
    test) packages+=(libgtest-dev zlib1g-dev help2man desktop-file-utils appstream
                     "${window_tests[@]}") ;;
    ci) packages+=(libgtest-dev zlib1g-dev help2man desktop-file-utils appstream "${window_tests[@]}"
                   dpkg-dev file clang-format clang libclang-rt-14-dev) ;;
    bench) packages+=(libbenchmark-dev time) ;;
    docs) packages+=(xvfb xauth openbox x11-utils imagemagick python3-xlib) ;;
    windows)
        packages+=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest libgtest-dev
                   wine wine64 wine32:i386 xvfb xauth
                   fonts-wine locales icoutils nsis unzip libz-mingw-w64-dev)
        foreign_arch=i386 ;;
    web) packages+=(emscripten nodejs chromium firefox-esr python3-websocket zip) ;;
    *) echo "usage: $0 [build|test|ci|bench|docs|windows|web]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Run as root, or install sudo, to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
if [ -n "$foreign_arch" ] && ! dpkg --print-foreign-architectures | grep -qx "$foreign_arch"; then
    "${sudo[@]}" dpkg --add-architecture "$foreign_arch"
fi
echo "Installing: ${missing[*]}"
# Another apt run on the machine is waited for rather than failed on.
apt=(apt-get -o DPkg::Lock::Timeout=600)
"${sudo[@]}" "${apt[@]}" update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
