#!/usr/bin/env bash
# Times pomuru-cipher-cli against dd on tmpfs and on disk, median against median, and checks the
# speed and memory targets. Run by hand on a quiet machine; never part of CI or CTest.
set -euo pipefail
export LC_ALL=C # EPOCHREALTIME and awk must use a decimal point

usage() {
    cat <<'EOF'
Usage: compare_with_dd.sh [OPTION]... [CLI]

Copies a file of random data (1 GiB) with `dd bs=128K` and converts it with CLI
(default: build/release/cli/pomuru-cipher-cli) in several cases, on tmpfs and on disk. Each case
runs as N pairs, dd and the converter back to back, dd first in odd rounds and second in even
ones; the cases take turns in a fresh order each round. Every run writes a new file, after the
previous output is removed and `sync` has run; the source stays in the page cache.
ratio = dd's median time / the converter's median time (above 1: the converter is faster).

  --pairs N      pairs per case and file system (default 15, at least 9)
  --size MIB     size of the source (default 1024); less is used, and said, when a folder lacks
                 room for the source and two outputs
  --only FS      only "tmpfs" or only "disk"
  --tmpfs DIR    folder on tmpfs (default /dev/shm/pomuru-bench)
  --disk DIR     folder on disk (default $POMURU_BENCH_DIR, else /tmp/pomuru-bench)
  --cases LIST   comma-separated subset of: step1,random,step1000,step64k,step1m,late-start
  --keep-source  keep the sources for the next run (an existing source of the right size is
                 always reused)

Prints one Markdown table per file system, and how often other work took the CPU from the
runs. Exits 1 when a target is missed: on tmpfs the ratios of the table's target column, on both
file systems a peak resident memory of 8 MiB.
EOF
}

readonly kRssLimitKiB=$((8 * 1024))

pairs=15
size_mib=1024
only=
tmpfs_dir=/dev/shm/pomuru-bench
disk_dir=${POMURU_BENCH_DIR:-/tmp/pomuru-bench}
selected=step1,random,step1000,step64k,step1m,late-start
keep_source=0
positional=()
while (($# > 0)); do
    case $1 in
    --pairs | --size | --only | --tmpfs | --disk | --cases)
        (($# >= 2)) || {
            echo "compare_with_dd.sh: $1 needs an argument" >&2
            exit 2
        }
        case $1 in
        --pairs) pairs=$2 ;;
        --size) size_mib=$2 ;;
        --only) only=$2 ;;
        --tmpfs) tmpfs_dir=$2 ;;
        --disk) disk_dir=$2 ;;
        --cases) selected=$2 ;;
        esac
        shift
        ;;
    --keep-source) keep_source=1 ;;
    -h | --help)
        usage
        exit 0
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
if ! [[ $pairs =~ ^[0-9]+$ ]] || ((pairs < 9)); then
    echo "compare_with_dd.sh: --pairs must be 9 or more, not '$pairs'" >&2
    exit 2
fi
if ! [[ $size_mib =~ ^[1-9][0-9]*$ ]]; then
    echo "compare_with_dd.sh: --size must be a positive number of MiB, not '$size_mib'" >&2
    exit 2
fi
case $only in
"") file_systems=(tmpfs disk) ;;
tmpfs | disk) file_systems=("$only") ;;
*)
    echo "compare_with_dd.sh: --only takes tmpfs or disk, not '$only'" >&2
    exit 2
    ;;
esac

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${positional[0]:-$repo_root/build/release/cli/pomuru-cipher-cli}
if [[ ! -x $cli ]]; then
    echo "compare_with_dd.sh: $cli is not an executable; build it first:" >&2
    echo "  cmake --preset release && cmake --build --preset release" >&2
    exit 2
fi
if [[ ! -x /usr/bin/time ]]; then
    echo "compare_with_dd.sh: needs GNU time (/usr/bin/time): scripts/install-deps.sh bench" >&2
    exit 2
fi

# The cases: converter options (LATE stands for the position from which the last 16th of the
# source is converted) and the least ratio to dd that the converter must reach on tmpfs.
declare -A options=(
    [step1]="--value 90 --step 1"
    [random]="--value 90 --step 1 --randomize"
    [step1000]="--value 90 --step 1000"
    [step64k]="--value 90 --step 65536"
    [step1m]="--value 90 --step 1048576"
    [late-start]="--value 90 --step 1 --start LATE"
)
declare -A target=([step1]=0.95 [random]=0.85 [step1000]=1.0 [step64k]=1.0 [step1m]=1.05
    [late-start]=1.05)
readonly all_cases=(step1 random step1000 step64k step1m late-start)
cases=()
IFS=, read -r -a wanted <<<"$selected"
for name in "${wanted[@]}"; do
    [[ -n ${options[$name]:-} ]] || {
        echo "compare_with_dd.sh: unknown case '$name'" >&2
        exit 2
    }
done
for name in "${all_cases[@]}"; do
    [[ ,$selected, == *,$name,* ]] && cases+=("$name")
done

# The folders used so far; every file the script makes there starts with pomuru-bench-.
used_dirs=()
# shellcheck disable=SC2317  # only called from the trap
cleanup() {
    local dir
    for dir in "${used_dirs[@]}"; do
        rm -f "$dir"/pomuru-bench-{dest.bin,other.bin,source.bin.part} "$dir"/pomuru-bench-times.*
        if ((keep_source == 0)); then
            rm -f "$dir/pomuru-bench-source.bin"
        fi
    done
}
trap cleanup EXIT

# Options of a case for a source of bytes bytes.
case_options() {
    local bytes=$1
    echo "${options[$2]/LATE/$((bytes * 15 / 16 + 1))}"
}

# run_timed OUT CMD...: runs CMD and appends "seconds peak_kib preemptions" to OUT; stops the
# script if CMD fails. Preemptions are the times another task took the CPU from CMD.
run_timed() {
    local out=$1 start end status=0
    shift
    start=$EPOCHREALTIME
    /usr/bin/time -f '%M %c' -o "$out.rss" "$@" || status=$?
    end=$EPOCHREALTIME
    if ((status != 0)); then
        echo "compare_with_dd.sh: '$*' failed with exit status $status" >&2
        exit 1
    fi
    printf '%s %s\n' "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" \
        "$(tail -n 1 "$out.rss")" >>"$out"
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Checks one case before timing it: the output has the source's length, differs from it, equals
# the output of the plain read-and-write path (through pipes), and converts back to the source.
check_case() {
    local dir=$1 bytes=$2 name=$3 source=$1/pomuru-bench-source.bin
    local dest=$dir/pomuru-bench-dest.bin other=$dir/pomuru-bench-other.bin
    local -a opts
    read -r -a opts <<<"$(case_options "$bytes" "$name")"
    rm -f "$dest" "$other"
    "$cli" "${opts[@]}" "$source" "$dest"
    if (($(stat -c %s "$dest") != bytes)) || cmp -s "$source" "$dest"; then
        echo "compare_with_dd.sh: $name: wrong length, or nothing converted" >&2
        exit 1
    fi
    "$cli" "${opts[@]}" - - <"$source" | cat >"$other"
    if ! cmp -s "$dest" "$other"; then
        echo "compare_with_dd.sh: $name: file and pipe conversions differ" >&2
        exit 1
    fi
    rm -f "$other"
    "$cli" "${opts[@]}" "$dest" "$other"
    if ! cmp -s "$source" "$other"; then
        echo "compare_with_dd.sh: $name: converting twice does not restore the source" >&2
        exit 1
    fi
    rm -f "$dest" "$other"
}

# Measures every case on one file system and prints its table; sets failed when a target is
# missed.
failed=0
measure_file_system() {
    local fs=$1 dir=$2
    mkdir -p "$dir"
    used_dirs+=("$dir")
    local source=$dir/pomuru-bench-source.bin dest=$dir/pomuru-bench-dest.bin
    local other=$dir/pomuru-bench-other.bin measure=$dir/pomuru-bench-times

    # Room for the source and two outputs, and a little to spare.
    local bytes=$((size_mib * 1024 * 1024)) existing=0 free_kib fitting_mib
    [[ -f $source ]] && existing=$(stat -c %s "$source")
    rm -f "$dest" "$other"
    free_kib=$(($(df -Pk "$dir" | awk 'NR == 2 { print $4 }') + existing / 1024))
    fitting_mib=$(((free_kib / 1024 - 64) / 3))
    if ((fitting_mib < size_mib)); then
        if ((fitting_mib < 64)); then
            echo "compare_with_dd.sh: $dir has room for less than 3 x 64 MiB" >&2
            exit 2
        fi
        echo "Note: $dir has room for a source of $fitting_mib MiB only (and two outputs);" \
            "measuring with that instead of $size_mib MiB."
        bytes=$((fitting_mib * 1024 * 1024))
    fi
    if ((existing != bytes)); then
        echo "Writing $((bytes / 1048576)) MiB of random data to $source ..."
        head -c "$bytes" /dev/urandom >"$source.part"
        mv "$source.part" "$source"
    fi
    cat "$source" >/dev/null

    local fs_type
    fs_type=$(df -PT "$dir" | awk 'NR == 2 { print $2 }')
    echo "Checking the outputs on $fs_type ($dir) ..."
    for name in "${cases[@]}"; do
        check_case "$dir" "$bytes" "$name"
    done

    rm -f "$measure".*
    local round name
    for ((round = 1; round <= pairs; ++round)); do
        printf 'pair %d/%d on %s:' "$round" "$pairs" "$fs_type"
        for name in $(printf '%s\n' "${cases[@]}" | shuf); do
            local -a opts
            read -r -a opts <<<"$(case_options "$bytes" "$name")"
            # A source evicted from the page cache would be read from disk by one run only.
            if [[ $fs == disk ]]; then
                cat "$source" >/dev/null
            fi
            local order=(dd cli) run
            if ((round % 2 == 0)); then
                order=(cli dd)
            fi
            for run in "${order[@]}"; do
                rm -f "$dest"
                sync
                if [[ $run == dd ]]; then
                    run_timed "$measure.$name.dd" dd if="$source" of="$dest" bs=128K status=none
                else
                    run_timed "$measure.$name.cli" "$cli" "${opts[@]}" "$source" "$dest"
                fi
                if (($(stat -c %s "$dest") != bytes)); then
                    echo "compare_with_dd.sh: $run ($name) wrote the wrong length" >&2
                    exit 1
                fi
            done
            printf ' %s' "$name"
        done
        echo
    done
    rm -f "$dest"

    echo
    echo "### $fs_type ($dir): $((bytes / 1048576)) MiB source, $pairs pairs"
    echo
    echo "| case | dd median s | tool median s | MB/s | ratio | target | peak RSS |"
    echo "|---|---|---|---:|---:|---|---:|"
    local dd_median cli_median ratio peak shown_target
    for name in "${cases[@]}"; do
        dd_median=$(cut -d' ' -f1 "$measure.$name.dd" | median)
        cli_median=$(cut -d' ' -f1 "$measure.$name.cli" | median)
        ratio=$(awk -v d="$dd_median" -v c="$cli_median" 'BEGIN { print d / c }')
        peak=$(cut -d' ' -f2 "$measure.$name.cli" | sort -g | tail -n 1)
        shown_target=–
        if [[ $fs == tmpfs ]]; then
            shown_target="≥ ${target[$name]}"
        fi
        # shellcheck disable=SC2016  # the backquotes are Markdown
        printf '| `%s` | %.3f | %.3f | %.0f | %.2f | %s | %.1f MiB |\n' \
            "$(case_options "$bytes" "$name")" "$dd_median" "$cli_median" \
            "$(awk -v b="$bytes" -v s="$cli_median" 'BEGIN { print b / s / 1e6 }')" "$ratio" \
            "$shown_target" "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')"
        if [[ $fs == tmpfs ]] && awk -v r="$ratio" -v t="${target[$name]}" 'BEGIN { exit !(r < t) }'; then
            printf 'FAIL: %s runs at %.3f x dd'"'"'s speed, target %s\n' "$name" "$ratio" \
                "${target[$name]}" >&2
            failed=1
        fi
        if ((peak >= kRssLimitKiB)); then
            echo "FAIL: $name peaked at $peak KiB resident, limit $kRssLimitKiB KiB" >&2
            failed=1
        fi
    done
    echo
    echo "Preemptions per run, median: dd $(cut -d' ' -f3 "$measure".*.dd | median)," \
        "converter $(cut -d' ' -f3 "$measure".*.cli | median) (more than a few: other work" \
        "took the CPU, and the times are noisy)"
    echo
}

echo "Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -n 1)," \
    "$(nproc) CPUs, Linux $(uname -r); $(basename "$cli") against $(dd --version | head -n 1)"
echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for fs in "${file_systems[@]}"; do
    if [[ $fs == tmpfs ]]; then
        measure_file_system tmpfs "$tmpfs_dir"
    else
        measure_file_system disk "$disk_dir"
    fi
done
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit "$failed"
