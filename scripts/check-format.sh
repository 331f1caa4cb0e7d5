#!/usr/bin/env bash
# Fails, naming the files, where a C++ source is not as the project's .clang-format lays it out.
# To fix: clang-format -i $(git ls-files '*.cpp' '*.h' '*.inc')
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh ci
git ls-files -z '*.cpp' '*.h' '*.inc' | xargs -0 clang-format --dry-run -Werror
echo "check-format: every C++ source is formatted"
