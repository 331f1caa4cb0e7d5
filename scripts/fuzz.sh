#!/usr/bin/env bash
# Builds the fuzz preset and runs each libFuzzer target of tests/fuzz for a bounded time, each
# from a fresh copy of its seeds in tests/fuzz/corpus/<target>/ (the repository is not changed).
# Fails if any target finds a crash, a failed check, a leak, a hang or runaway memory; the
# input that did it is kept in build/fuzz/findings/, to be replayed with
#   build/fuzz/tests/fuzz/<target>_fuzz build/fuzz/findings/<file>
# and to become a row of a unit test.
# Usage: scripts/fuzz.sh [SECONDS-PER-TARGET [TARGET...]]
#        (default 15 s, about a minute for the four; TARGET as named in tests/fuzz/corpus/)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-15}
shift $(($# > 0 ? 1 : 0))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=($(ls tests/fuzz/corpus))
scripts/install-deps.sh ci
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)" >/dev/null

findings=$PWD/build/fuzz/findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=()
for target in "${targets[@]}"; do
    mkdir "$work/$target"
    cp tests/fuzz/corpus/"$target"/* "$work/$target/"
    # A target's own libFuzzer flags, one a line: a dictionary, a shorter longest input.
    flags=()
    [ ! -f tests/fuzz/"$target".flags ] || mapfile -t flags < tests/fuzz/"$target".flags
    started=$SECONDS
    if build/fuzz/tests/fuzz/"$target"_fuzz -max_total_time="$seconds" -timeout=10 \
            -rss_limit_mb=2048 "${flags[@]}" -artifact_prefix="$findings/$target-" \
            "$work/$target" >"$work/$target.log" 2>&1; then
        echo "$target: $((SECONDS - started)) s, $(grep -o 'DONE.*' "$work/$target.log" | sed 's/  */ /g')"
    else
        echo "== $target found a fault after $((SECONDS - started)) s ==" >&2
        # From the first report on: the failed check or the sanitizer's, and where.
        grep -v -E '^#[0-9]+|^INFO:|Test unit written' "$work/$target.log" |
            sed -n '/fuzz check failed\|runtime error\|ERROR:/,$p' | head -n 30 >&2
        grep 'Test unit written' "$work/$target.log" >&2 || true
        failed+=("$target")
    fi
done
if [ ${#failed[@]} -ne 0 ]; then
    echo "Fuzzing found faults in: ${failed[*]} (inputs in build/fuzz/findings/)" >&2
    exit 1
fi
