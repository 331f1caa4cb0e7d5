#!/usr/bin/env bash
# Times the command-line converter against dd on 1 GiB and checks the speed and memory targets.
set -euo pipefail
export LC_ALL=C # EPOCHREALTIME and awk must use a decimal point

usage() {
    cat <<'EOF'
Usage: compare_with_dd.sh [--keep-source] [--rounds N] [CLI [DATA_DIR]]

Copies a 1 GiB file of random data with dd (bs=1M) and converts it with CLI, converting every
byte (the worst case) with and without --randomize. The runs are interleaved over N rounds
(default 5, or $POMURU_BENCH_ROUNDS) in a fresh order each round, with the page cache warm.

  CLI        the command-line converter (default: build/release/cli/pomuru-cipher-cli)
  DATA_DIR   folder for the source and the outputs (default: $POMURU_BENCH_DIR, else
             /tmp/pomuru-bench); needs 2 GiB free. The outputs go next to the source.
  --keep-source   keep the 1 GiB source for the next run (or set POMURU_BENCH_KEEP_SOURCE=1);
                  an existing source of the right size is always reused.

Fails (exit 1) when the converter runs below 0.75 x dd's speed (0.5 x with --randomize),
comparing its median time with dd's best, or when its peak resident memory reaches 32 MiB.
EOF
}

readonly kSourceBytes=$((1024 * 1024 * 1024))
readonly kRssLimitKiB=$((32 * 1024))

keep_source=${POMURU_BENCH_KEEP_SOURCE:-0}
rounds=${POMURU_BENCH_ROUNDS:-5}
positional=()
while (($# > 0)); do
    case $1 in
    --keep-source) keep_source=1 ;;
    --rounds)
        rounds=${2:?--rounds needs a number}
        shift
        ;;
    -h | --help)
        usage
        exit 0
        ;;
    --)
        shift
        positional+=("$@")
        break
        ;;
    -*)
        echo "compare_with_dd.sh: unknown option $1" >&2
        usage >&2
        exit 2
        ;;
    *) positional+=("$1") ;;
    esac
    shift
done
if ! [[ $rounds =~ ^[1-9][0-9]*$ ]]; then
    echo "compare_with_dd.sh: --rounds must be a positive number, not '$rounds'" >&2
    exit 2
fi

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${positional[0]:-$repo_root/build/release/cli/pomuru-cipher-cli}
data_dir=${positional[1]:-${POMURU_BENCH_DIR:-/tmp/pomuru-bench}}

if [[ ! -x $cli ]]; then
    echo "compare_with_dd.sh: $cli is not an executable; build it first:" >&2
    echo "  cmake --preset release && cmake --build --preset release" >&2
    exit 2
fi
mkdir -p "$data_dir"
# Distinct names, so that a shared folder such as /tmp loses nothing of its own.
source_file=$data_dir/pomuru-bench-source.bin
dest_file=$data_dir/pomuru-bench-dest.bin
measure_file=$data_dir/pomuru-bench-measure.txt

# shellcheck disable=SC2317  # only called from the trap
cleanup() {
    rm -f "$dest_file" "$measure_file" "$measure_file.rss" "$source_file.part"
    if [[ $keep_source != 1 ]]; then
        rm -f "$source_file"
    fi
}
trap cleanup EXIT

# Peak memory comes from GNU time when installed, else from the child's VmHWM sampled by a small
# Python wrapper (getrusage there would count Python's own memory, inherited until the exec).
# Either way the wrapper is the same for dd and the converter.
if [[ -x /usr/bin/time ]]; then
    peak_rss_tool="GNU time"
    # run_measured OUT CMD...: runs CMD and writes "seconds peak_kib" to OUT.
    run_measured() {
        local out=$1 start end status=0
        shift
        start=$EPOCHREALTIME
        /usr/bin/time -f %M -o "$out.rss" "$@" || status=$?
        end=$EPOCHREALTIME
        printf '%s %s\n' "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" \
            "$(tail -n 1 "$out.rss")" >"$out"
        rm -f "$out.rss"
        return "$status"
    }
elif command -v python3 >/dev/null; then
    peak_rss_tool="VmHWM sampled every 2 ms"
    run_measured() {
        python3 - "$@" <<'EOF'
import subprocess, sys, threading, time
out, command = sys.argv[1], sys.argv[2:]
peak = 0
def sample(child):
    global peak
    while child.poll() is None:
        try:
            with open(f"/proc/{child.pid}/status") as status:
                for line in status:
                    if line.startswith("VmHWM:"):
                        peak = max(peak, int(line.split()[1]))
        except OSError:
            pass
        time.sleep(0.002)
start = time.perf_counter()
child = subprocess.Popen(command)
sampler = threading.Thread(target=sample, args=(child,))
sampler.start()
code = child.wait()
seconds = time.perf_counter() - start
sampler.join()
with open(out, "w") as f:
    f.write(f"{seconds} {peak}\n")
sys.exit(code)
EOF
    }
else
    echo "compare_with_dd.sh: needs /usr/bin/time (Debian package 'time') or python3" >&2
    exit 2
fi

# The source: random data, so that nothing compresses or repeats; made once and reused.
if [[ -f $source_file && $(stat -c %s "$source_file") -eq $kSourceBytes ]]; then
    echo "Reusing $source_file"
else
    free_kib=$(df -Pk "$data_dir" | awk 'NR == 2 { print $4 }')
    if ((free_kib < 2 * kSourceBytes / 1024 + 65536)); then
        echo "compare_with_dd.sh: $data_dir needs 2 GiB free, has $((free_kib / 1024)) MiB" >&2
        exit 2
    fi
    echo "Writing 1 GiB of random data to $source_file ..."
    dd if=/dev/urandom of="$source_file.part" bs=1M count=1024 iflag=fullblock status=none
    mv "$source_file.part" "$source_file"
fi
# Warm the page cache so that every run reads from memory, the first one included.
cat "$source_file" >/dev/null

readonly modes=(dd constant randomized)
declare -A label=(
    [dd]="dd bs=1M"
    [constant]="cli --value 90 --step 1"
    [randomized]="cli --value 90 --step 1 --randomize"
)
declare -A target=([dd]="" [constant]=0.75 [randomized]=0.5)
declare -A times=() peaks=()

run_mode() {
    case $1 in
    dd) run_measured "$measure_file" dd if="$source_file" of="$dest_file" bs=1M status=none ;;
    constant) run_measured "$measure_file" "$cli" --value 90 --step 1 "$source_file" "$dest_file" ;;
    randomized)
        run_measured "$measure_file" "$cli" --value 90 --step 1 --randomize \
            "$source_file" "$dest_file"
        ;;
    esac
}

# Runs one mode and checks what it wrote; stops the script when either goes wrong.
run_and_check() {
    local mode=$1 status=0 size differing
    run_mode "$mode" || status=$?
    if ((status != 0)); then
        echo "compare_with_dd.sh: ${label[$mode]} failed with exit status $status" >&2
        exit 1
    fi
    size=$(stat -c %s "$dest_file")
    if ((size != kSourceBytes)); then
        echo "compare_with_dd.sh: ${label[$mode]} wrote $size bytes, not $kSourceBytes" >&2
        exit 1
    fi
    # Catches a converter that leaves bytes alone: with value 90 and step 1 every byte
    # changes, whatever the random part adds (90 ^ (r % 90) is never 0).
    differing=$(cmp -l -n 65536 "$source_file" "$dest_file" | wc -l || true)
    local expected=65536
    if [[ $mode == dd ]]; then
        expected=0
    fi
    if ((differing != expected)); then
        echo "compare_with_dd.sh: ${label[$mode]} changed $differing of the first 65536 bytes," \
            "expected $expected" >&2
        exit 1
    fi
}

# One untimed pass: the first runs after a pause are slow on virtual machines whose host
# reclaims idle guest memory, and a broken converter fails here before any timing.
for mode in "${modes[@]}"; do
    rm -f "$dest_file"
    run_and_check "$mode"
done

echo "Timing $rounds rounds of: ${label[dd]}; ${label[constant]}; ${label[randomized]}"
for ((round = 0; round < rounds; ++round)); do
    line="round $((round + 1))/$rounds:"
    # A fresh order each round keeps any effect of the run before from always hitting one mode.
    mapfile -t order < <(printf '%s\n' "${modes[@]}" | shuf)
    for mode in "${order[@]}"; do
        # Every run writes a new file with no dirty pages left over from the run before.
        rm -f "$dest_file"
        sync
        run_and_check "$mode"
        read -r seconds peak_kib <"$measure_file"
        times[$mode]+="$seconds "
        if [[ -z ${peaks[$mode]:-} ]] || ((peak_kib > peaks[$mode])); then
            peaks[$mode]=$peak_kib
        fi
        line+=$(printf ' %s %.3f s;' "$mode" "$seconds")
    done
    echo "$line"
done
rm -f "$dest_file"

median() {
    tr ' ' '\n' <<<"$1" | awk 'NF' | sort -g |
        awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

best() {
    tr ' ' '\n' <<<"$1" | awk 'NF' | sort -g | head -n 1
}

# The converter's typical run against dd's best: on a shared or virtual machine a slow round of
# dd (large writes suffer most) must not flatter the converter.
echo
echo "Source: 1 GiB on $(df -PT "$data_dir" | awk 'NR == 2 { print $2 }'), page cache warm," \
    "$rounds rounds. MB/s from the median; cli/dd = best dd / median cli." \
    "Peak RSS by $peak_rss_tool, highest of the rounds."
printf '%-38s %9s %7s %9s %7s %7s %13s\n' mode "median s" "best s" "MB/s" "cli/dd" target \
    "peak RSS MiB"
dd_best=$(best "${times[dd]}")
failed=0
for mode in "${modes[@]}"; do
    m=$(median "${times[$mode]}")
    mbps=$(awk -v s="$m" -v b="$kSourceBytes" 'BEGIN { printf "%.0f", b / s / 1e6 }')
    ratio=$(awk -v d="$dd_best" -v s="$m" 'BEGIN { print d / s }')
    rss=$(awk -v k="${peaks[$mode]}" 'BEGIN { printf "%.1f", k / 1024 }')
    shown_ratio=$(printf '%.2f' "$ratio")
    if [[ $mode == dd ]]; then
        shown_ratio=-
    fi
    printf '%-38s %9.3f %7.3f %9s %7s %7s %13s\n' "${label[$mode]}" "$m" \
        "$(best "${times[$mode]}")" "$mbps" "$shown_ratio" "${target[$mode]:--}" "$rss"
    if [[ $mode == dd ]]; then
        continue
    fi
    if awk -v r="$ratio" -v t="${target[$mode]}" 'BEGIN { exit !(r < t) }'; then
        printf 'FAIL: %s runs at %.2f x dd, target %s\n' "${label[$mode]}" "$ratio" \
            "${target[$mode]}" >&2
        failed=1
    fi
    if ((peaks[$mode] >= kRssLimitKiB)); then
        echo "FAIL: ${label[$mode]} peaked at $rss MiB resident, limit 32 MiB" >&2
        failed=1
    fi
done
exit "$failed"
