#!/usr/bin/env bash
# Builds the Debian package in a configured build directory and checks its files and dependencies.
# Usage: scripts/check-deb.sh BUILD_DIR
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
out="$build/package"

rm -f "$out"/*.deb
if ! (cd "$build" && cpack -G DEB -B "$out" >"$out.log" 2>&1); then
    cat "$out.log" >&2
    echo "check-deb: cpack failed in $build" >&2
    exit 1
fi
debs=("$out"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "check-deb: expected one .deb in $out" >&2; exit 1; }
deb=${debs[0]}

# Listed once: "-rwxr-xr-x root/root 1234 2026-12-06 12:00 ./usr/bin/...", symlinks with "-> target".
listing=$(dpkg-deb -c "$deb")
contents=$(awk '{ print $6 }' <<<"$listing")
depends=$(dpkg-deb -f "$deb" Depends)

failures=()
require_file() {  # a regular expression that one path must match entirely
    grep -Eqx "$1" <<<"$contents" || failures+=("missing file: ${1//\\/}")
}
require_file './usr/share/applications/io\.github\.pomuru\.Cipher\.desktop'
require_file './usr/share/metainfo/io\.github\.pomuru\.Cipher\.metainfo\.xml'
require_file './usr/share/man/man1/pomuru-cipher-cli\.1(\.gz)?'
for size in 16 32 48 128; do
    require_file "./usr/share/icons/hicolor/${size}x${size}/apps/io\.github\.pomuru\.Cipher\.png"
done
require_file './usr/share/icons/hicolor/scalable/apps/io\.github\.pomuru\.Cipher\.svg'

for program in pomuru-cipher pomuru-cipher-cli; do
    grep -Eq "^-rwxr-xr-x .* \./usr/bin/$program\$" <<<"$listing" \
        || failures+=("missing or not executable: /usr/bin/$program")
done

for package in libqt6widgets6 fonts-ipafont-gothic fonts-noto-cjk; do
    grep -Eq "(^|[ ,|])$package([ ,|(]|\$)" <<<"$depends" \
        || failures+=("Depends does not name $package: $depends")
done
# apt installs the first alternative: the font the dialogs are sized for.
grep -Eq "(^|, )fonts-ipafont-gothic \|" <<<"$depends" \
    || failures+=("Depends does not put fonts-ipafont-gothic first: $depends")

if [ ${#failures[@]} -ne 0 ]; then
    echo "check-deb: $(basename "$deb") is not right:" >&2
    printf '  %s\n' "${failures[@]}" >&2
    exit 1
fi
echo "check-deb: $(basename "$deb") is complete; Depends: $depends"
