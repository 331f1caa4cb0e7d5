#!/usr/bin/env bash
# The page: installs what is missing, builds the command line natively and the page with the web
# preset, tests the WebAssembly core under node against the command line, then the page itself
# in headless Chromium and headless Firefox ESR. Usage: scripts/test-web.sh [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh web
echo "== Building the command line (core preset) and the page (web preset) =="
cmake --preset core >/dev/null
cmake --build --preset core -j"$(nproc)" >/dev/null
cmake --preset web >/dev/null
cmake --build --preset web -j"$(nproc)" >/dev/null

echo "== The WebAssembly core under node =="
node tests/web/core_test.mjs build/web/web build/core/cli/pomuru-cipher-cli "$@"

echo "== The page in headless Chromium =="
# Python's own, where the WebSocket client is installed, whatever python3 comes first.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/chromium" "$work/firefox"
/usr/bin/python3 tests/web/page_test.py build/web/page/index.html build/core/cli/pomuru-cipher-cli \
    "$work/chromium"

echo "== The page in headless Firefox ESR =="
/usr/bin/python3 tests/web/firefox_test.py build/web/page/index.html \
    build/core/cli/pomuru-cipher-cli "$work/firefox"
