#!/usr/bin/env bash
# Builds the Windows programs with MinGW-w64, runs every Windows test under Wine on a virtual X
# display, the command line's table of tests/cli_test.cpp (built for Linux) against the Windows
# program, and builds and checks the packages.
# Usage: scripts/test-windows.sh [--build-only-where-wine-cannot-run] [PRESET]...
#        (default presets: windows windows-x86)
# Installs what is missing (scripts/install-deps.sh windows), builds the Linux cli_test in
# build/linux-cli, and keeps Wine's prefix in build/wine. Fails if any preset fails,
# including an architecture whose programs Wine cannot start on this machine (32-bit ones where
# the kernel runs no 32-bit programs). With --build-only-where-wine-cannot-run, such a preset is
# still built and packaged, its tests are reported as not run, and that alone does not fail.
set -euo pipefail
cd "$(dirname "$0")/.."

arguments=("$@")
build_only_where_wine_cannot_run=0
if [ "${1:-}" = --build-only-where-wine-cannot-run ]; then
    build_only_where_wine_cannot_run=1
    shift
fi
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(windows windows-x86)
jobs=$(nproc)

scripts/install-deps.sh windows
# The window tests need an X display, and Wine's server and desktop process, which outlive each
# program, keep the one they met first: the whole run gets one virtual display of its own.
if [ -z "${POMURU_TEST_DISPLAY:-}" ]; then
    POMURU_TEST_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "${arguments[@]}"
fi

echo "== The command line's tests, for Linux ($SECONDS s) =="
linux_dir=build/linux-cli
cmake -S . -B "$linux_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOMURU_BUILD_TESTS=ON \
    -DPOMURU_BUILD_GUI=OFF >/dev/null
cmake --build "$linux_dir" -j"$jobs" --target cli_test >/dev/null

export WINEPREFIX=$PWD/build/wine WINEDEBUG=-all
# Wine's server is started by the first program (cmake/wine-run.sh) and ended here.
trap 'wineserver -k 2>/dev/null || true' EXIT
echo "== Wine prefix $WINEPREFIX ($SECONDS s) =="
cmake/wine-run.sh win64 cmd /c ver
# Wine speaks Japanese, as on a Japanese Windows, in the locale the window tests ask for.
locales=build/locale
mkdir -p "$locales"
[ -d "$locales/ja_JP.UTF-8" ] || localedef -i ja_JP -c -f UTF-8 "$locales/ja_JP.UTF-8"

failed=()
not_run=()
for preset in "${presets[@]}"; do
    echo "== $preset ($SECONDS s) =="
    case $preset in windows-x86) arch=win32 ;; *) arch=win64 ;; esac
    runnable=1
    cmake/wine-run.sh "$arch" cmd /c ver >/dev/null 2>&1 || runnable=0
    if [ $runnable -eq 0 ] && [ $build_only_where_wine_cannot_run -eq 1 ]; then
        echo "$preset: Wine cannot start $arch programs here; building and packaging only"
        cmake --preset "$preset" -DPOMURU_BUILD_TESTS=OFF >/dev/null
        cmake --build --preset "$preset" -j"$jobs"
        scripts/check-windows-packages.sh "build/$preset" "$arch" --without-wine ||
            failed+=("$preset packages")
        not_run+=("$preset")
        continue
    fi
    cmake --preset "$preset" -DPOMURU_BUILD_TESTS=ON >/dev/null
    cmake --build --preset "$preset" -j"$jobs"
    ctest --preset "$preset" -j"$jobs" || failed+=("$preset")
    echo "== $preset command line, the rows that hold on Windows ($SECONDS s) =="
    POMURU_TEST_CLI=$(printf '%q ' "$PWD/cmake/wine-run.sh" "$arch" \
        "$PWD/build/$preset/cli/pomuru-cipher-cli.exe") \
        POMURU_TEST_CLI_PLATFORM=windows "$linux_dir/tests/cli_test" ||
        failed+=("$preset command line")
    echo "== $preset packages ($SECONDS s) =="
    scripts/check-windows-packages.sh "build/$preset" "$arch" || failed+=("$preset packages")
done
echo "== done ($SECONDS s) =="
if [ ${#not_run[@]} -gt 0 ]; then
    echo "NOT RUN: the tests of ${not_run[*]} (and their installers): this machine cannot" \
        "execute the programs they need (built and packaged only)" >&2
fi
if [ ${#failed[@]} -gt 0 ]; then
    echo "Windows tests failed: ${failed[*]}" >&2
    exit 1
fi
