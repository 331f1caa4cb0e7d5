#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those missing, quietly when all are there.
# Usage: scripts/install-deps.sh [build|test|ci|bench|docs]   (build is part of every level)
set -euo pipefail

level=${1:-build}
packages=(g++ make cmake pkg-config qt6-base-dev qt6-wayland libgl-dev qt6-translations-l10n
          fonts-ipafont-gothic fonts-noto-cjk)
case "$level" in
    build) ;;
    test) packages+=(libgtest-dev help2man desktop-file-utils appstream) ;;
    ci) packages+=(libgtest-dev help2man desktop-file-utils appstream dpkg-dev file) ;;
    bench) packages+=(libbenchmark-dev time) ;;
    docs) packages+=(xvfb xauth openbox x11-utils imagemagick) ;;
    *) echo "usage: $0 [build|test|ci|bench|docs]" >&2; exit 2 ;;
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
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
