#!/usr/bin/env bash
# Builds the fuzz preset and runs each libFuzzer target of tests/fuzz for a bounded time, each
# from a fresh copy of its seeds in tests/fuzz/corpus/<target>/ (the repository is not changed).
# Fails if any target finds a crash, a failed check, a leak, a hang or runaway memory; the
# input that did it is kept in build/fuzz/findings/, to be replayed with
#   build/fuzz/tests/fuzz/<target>_fuzz build/fuzz/findings/<file>
# and to become a row of a unit test.
# Usage: scripts/fuzz.sh [SECONDS-PER-TARGET]   (default 15, about a minute for the four)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-15}
scripts/install-deps.sh ci
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)" >/dev/null

findings=$PWD/build/fuzz/findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=()
for seeds in tests/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    mkdir "$work/$target"
    cp "$seeds"* "$work/$target/"
    # The UTF-8 dictionary's characters and broken sequences help the targets that read text
    # reach what a byte at a time rarely makes; the others merely get a few more byte patterns.
    if build/fuzz/tests/fuzz/"$target"_fuzz -max_total_time="$seconds" -timeout=10 \
            -rss_limit_mb=2048 -dict=tests/fuzz/utf8.dict -artifact_prefix="$findings/$target-" \
            "$work/$target" >"$work/$target.log" 2>&1; then
        echo "$target: $(grep -o 'DONE.*' "$work/$target.log" | sed 's/  */ /g')"
    else
        echo "== $target found a fault ==" >&2
        grep -v -E '^#[0-9]+|^INFO:' "$work/$target.log" | tail -n 40 >&2
        failed+=("$target")
    fi
done
if [ ${#failed[@]} -ne 0 ]; then
    echo "Fuzzing found faults in: ${failed[*]} (inputs in build/fuzz/findings/)" >&2
    exit 1
fi
