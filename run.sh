#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh build
cmake --preset default -DPOMURU_BUILD_TESTS=OFF >/dev/null
cmake --build --preset default -j"$(nproc)" >/dev/null
exec build/default/app/pomuru-cipher "$@"
