#!/usr/bin/env bash
# pomuru-cipher-cli.exe under Wine, checked from Linux: conversions, standard streams, failures
# and their wording, names, one file under two names, the lock, interrupts, the terminal, and
# files exchanged with the Linux build byte for byte.
# Usage: cli_test.sh WINDOWS_CLI LINUX_CLI EMULATOR [EMULATOR_ARGUMENT]...
set -uo pipefail

exe=$1
linux=$2
shift 2
wine=("$@")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

passed=0
failed=0
# check NAME COMMAND...: one check, passed when the command succeeds.
check() {
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "FAILED: $name" >&2
        failed=$((failed + 1))
    fi
}
win() { "${wine[@]}" "$exe" "$@"; }
same() { cmp -s "$1" "$2"; }
is() { [[ $1 == "$2" ]] || { echo "  got:      $(printf %q "$1")" >&2; echo "  expected: $(printf %q "$2")" >&2; false; }; }

# Without this, nothing below means anything: Wine may run nothing and still report success.
version=$(win --version)
if ! is "$version" $'pomuru-cipher-cli 2.0\nぽむるの暗号'; then
    echo "FAILED: Wine ran no program (or a wrong one)"
    echo "0 passed, 1 failed"
    exit 1
fi
passed=1

# Every byte value, the bytes a text mode changes (CR LF, LF, Ctrl+Z), then bulk.
for i in {0..255}; do printf "\\x$(printf %02x "$i")"; done >in.bin
printf '\r\n\n\x1a\r\n' >>in.bin
head -c 300000 /dev/urandom >>in.bin

settings_list=(
    "--value=-77 --step=3 --start=10 --slide=4 --randomize"
    "--value=300 --step=0"
    "--value=2147483647 --step=7 --start=-5 --slide=2147483647 --randomize"
    "--value=-2147483648 --step=-1 --randomize"
)

# Converts and restores, through files and through the standard streams.
read -ra settings <<<"${settings_list[0]}"
win "${settings[@]}" in.bin out.bin && win "${settings[@]}" out.bin back.bin
check "converts a file and restores it" same back.bin in.bin
check "converting changes the file" eval '! same out.bin in.bin'
# Standard output into a pipe: Wine cannot lock a standard handle made from a Linux file.
win "${settings[@]}" - - <in.bin | cat >stdout.bin
check "standard input to standard output, binary" same stdout.bin out.bin
win "${settings[@]}" in.bin - | win "${settings[@]}" - back2.bin
check "file to standard output, then standard input to file" same back2.bin in.bin

# The same files from both builds: each restores what the other scrambled.
if [[ -x $linux ]]; then
    for settings_text in "${settings_list[@]}"; do
        read -ra settings <<<"$settings_text"
        "$linux" "${settings[@]}" in.bin linux.out && win "${settings[@]}" in.bin windows.out
        check "same bytes from both builds: $settings_text" same linux.out windows.out
        win "${settings[@]}" linux.out windows.back
        check "Windows restores Linux: $settings_text" same windows.back in.bin
        "$linux" "${settings[@]}" windows.out linux.back
        check "Linux restores Windows: $settings_text" same linux.back in.bin
    done
else
    check "Linux build found at $linux (cmake --build --preset default --target pomuru-cipher-cli)" false
fi

# Names in Japanese reach the file system as they are.
win --value=1 in.bin 日本語.bin
check "creates 日本語.bin under its name" test -f 日本語.bin
win --value=1 日本語.bin 戻り.bin
check "reads 日本語.bin" same 戻り.bin in.bin

# run_failing STATUS MESSAGE ARGUMENT...: exits with STATUS and says MESSAGE on standard error.
run_failing() {
    local status=$1 message=$2
    shift 2
    local stderr
    stderr=$(win "$@" 2>&1 >/dev/null)
    local actual=$?
    is "$actual" "$status" && is "$stderr" "$message"
}
mkdir folder
check "missing source" run_failing 1 "pomuru-cipher-cli: cannot open 'nope.bin': No such file or directory" nope.bin new.bin
check "missing source creates no destination" test ! -e new.bin
check "missing source, Japanese name" run_failing 1 "pomuru-cipher-cli: cannot open '無い.bin': No such file or directory" 無い.bin new.bin
check "folder as source" run_failing 1 "pomuru-cipher-cli: cannot open 'folder': Is a directory" folder new.bin
cp in.bin keep.bin
check "same file in other letters" run_failing 2 $'pomuru-cipher-cli: \'keep.bin\' and \'KEEP.BIN\' are the same file\nTry \'pomuru-cipher-cli --help\'.' keep.bin KEEP.BIN
same_as_input() {
    local stderr
    stderr=$(win --value=1 - keep.bin <keep.bin 2>&1)
    is "$?" 2 && is "$stderr" $'pomuru-cipher-cli: standard input and \'keep.bin\' are the same file\nTry \'pomuru-cipher-cli --help\'.'
}
check "standard input that is the destination" same_as_input
check "same file left alone" same keep.bin in.bin

# The command line is read as on Linux: same output, same messages, same status.
parity() {
    local linux_out windows_out linux_status windows_status
    linux_out=$("$linux" "$@" 2>&1)
    linux_status=$?
    windows_out=$(win "$@" 2>&1)
    windows_status=$?
    is "$windows_status" "$linux_status" && is "$windows_out" "$linux_out"
}
for arguments in "--help" "--value=abc a b" "--value=99999999999 a b" "--s=1 a b" \
    "--randomize=1 a b" "--bogus a b" "-x a b" "a" "" "a b c" "--value"; do
    read -ra words <<<"$arguments"
    [[ -x $linux ]] && check "command line as on Linux: '$arguments'" parity "${words[@]}"
done

# A run in progress: fed through a pipe that stays open until the checks are done.
rm -f fifo && mkfifo fifo
start_slow_run() {
    # A script's background jobs ignore SIGINT unless told otherwise.
    env --default-signal=INT "${wine[@]}" "$exe" --value=5 - busy.bin <fifo 2>slow.err &
    slow=$!
    exec 7>fifo
    head -c 4096 in.bin >&7
    for _ in {1..100}; do
        [[ $(stat -c %s busy.bin 2>/dev/null) == 4096 ]] && return 0
        sleep 0.2
    done
    return 1
}
check "a slow run starts" start_slow_run
check "a destination another run writes is refused" run_failing 1 "pomuru-cipher-cli: 'busy.bin' is being written by another run" in.bin busy.bin
exec 7>&-
wait "$slow"
status=$?
check "the first run ends well" is "$status $(stat -c %s busy.bin)" "0 4096"
rm busy.bin

# Ctrl+C (Wine turns SIGINT into the console's event) cuts the destination back, and the
# process ends with STATUS_CONTROL_C_EXIT, whose low byte Wine passes on: 0x3A.
check "a slow run starts again" start_slow_run
kill -INT "$slow"
wait "$slow"
status=$?
exec 7>&-
check "an interrupt ends the run as Ctrl+C does" is "$status" 58
check "an interrupt cuts the destination back" is "$(stat -c %s busy.bin)" 0
check "an interrupt is told" is "$(cat slow.err)" "pomuru-cipher-cli: interrupted; 'busy.bin' is left as it was before"

# The console counts as a terminal; the NUL device does not.
tty_output=$(script -qec "$(printf '%q ' "${wine[@]}" "$exe") in.bin -" /dev/null | tr -d '\r')
check "binary output to the console is refused" eval '[[ $tty_output == *"refusing to write binary output to a terminal"* ]]'
# Messages reach the console as the characters they are, whatever its code page (Wine's: 437).
console_message() {
    local output
    output=$(script -qec "$(printf '%q ' "${wine[@]}" "$exe") 無い.bin new.bin" /dev/null)
    [[ $output == *"cannot open '無い.bin'"* ]]
}
check "a message on the console shows a Japanese name" console_message
# Wine's drive Z: is the root of the Linux file system.
"${wine[@]}" cmd /c "Z:${exe//\//\\} --value=1 in.bin - > NUL"
check "binary output to NUL is fine" is "$?" 0

echo "$passed passed, $failed failed"
[[ $failed == 0 ]]
