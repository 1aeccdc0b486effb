#!/usr/bin/env bash
# velquist-decode.exe, run under Wine, writes what the Linux build writes, byte
# for byte, and exits with the same status: inputs with CR LF line ends, raw
# bytes with 0x1A (which ends a read in text mode) and every other byte value,
# JSON, non-ASCII text given as an argument (UTF-16 on Windows, UTF-8 bytes on
# Linux), a file with a non-ASCII name, errors.
#
#   tests/windows/SameOutputAsLinux.sh LINUX_DECODE EMULATOR WINDOWS_DECODE
set -uo pipefail

linux=$(realpath "$1")
emulator=$2
windows=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# Wine turns the arguments into UTF-16 from the locale's encoding.
export LC_ALL=C.UTF-8

printf '311C3030311C3030321C33\r\n' > hex-crlf
printf '4142\r\n1C4344\r\n' > hex-lines-crlf
printf '11~001~~A1B2~0A~;4761739001010119=15122011143804489?~~AAB~00002000~1234\r\n' > string-crlf
printf '0000 00000000 31 1C 30 30 31 1C 30 30\r\n0000 00000008 32 1C 33\r\n' > netadrd-crlf
printf '1\x1c\x1a\x00\x01\r\n\x1a\x1c002\x1c1' > raw-1a
for ((b = 0; b < 256; b++)); do printf "\\x$(printf %02x $b)"; done > every-byte
head -c 1048576 /dev/urandom > noise
printf '311C3030311C3030321C33\n' > 'mëssage-ñ.txt'
: > empty

passed=0
failed=0
# run_windows STDIN ARGS...: the Windows program under Wine, its status in
# windows_status. Wine, busy with the other test programs on a loaded machine,
# has now and then ended a run with status 1 before the program wrote a byte.
# Such a run (a failure status, nothing written) is said and run once more; when
# the second run fails the same way, a third with Wine's error messages on shows
# what Wine saw, and the test fails on the second.
silent_failure() {
    [ $windows_status -ne 0 ] && [ ! -s windows.out ] && [ ! -s windows.err ]
}
run_windows() {
    local input=$1
    shift
    "$emulator" "$windows" "$@" < "$input" > windows.out 2> windows.err
    windows_status=$?
    silent_failure || return 0
    echo "note   exit status $windows_status under Wine with nothing written; once more"
    "$emulator" "$windows" "$@" < "$input" > windows.out 2> windows.err
    windows_status=$?
    silent_failure || return 0
    echo "note   the same again; with Wine's error messages:"
    WINEDEBUG=err+all "$emulator" "$windows" "$@" < "$input" 2>&1 > /dev/null | head -c 3000
}

# same NAME STDIN ARGS...: both programs with the same arguments and input.
same() {
    local name=$1 input=$2
    shift 2
    "$linux" "$@" < "$input" > linux.out 2> linux.err
    local linux_status=$?
    run_windows "$input" "$@"
    if [ ! -s linux.out ] && [ ! -s linux.err ] && [ "$name" != "empty input" ]; then
        echo "FAILED $name: the Linux build wrote nothing to compare with"
        failed=$((failed + 1))
    elif [ $linux_status -ne $windows_status ]; then
        echo "FAILED $name: exit status $windows_status on Windows, $linux_status on Linux"
        echo "standard output: $(wc -c < windows.out) bytes; standard error:"
        head -c 300 windows.err
        failed=$((failed + 1))
    elif ! cmp -s linux.out windows.out || ! cmp -s linux.err windows.err; then
        echo "FAILED $name: output differs"
        cmp linux.out windows.out
        cmp linux.err windows.err
        failed=$((failed + 1))
    else
        echo "ok     $name ($(wc -c < linux.out) bytes, exit status $linux_status)"
        passed=$((passed + 1))
    fi
}

same "hex, standard input, CR LF" hex-crlf
same "hex, lines with CR LF" hex-lines-crlf --mode hex
same "string, standard input, CR LF" string-crlf --mode string
same "netadrd, file, CR LF" empty --mode netadrd netadrd-crlf
same "raw, standard input, 0x1A" raw-1a --mode raw
same "raw, file, 0x1A" empty --mode raw raw-1a
same "JSON, every byte value" every-byte --json --mode raw
same "JSON, CR LF, masked" string-crlf --json --mask --mode string
same "non-ASCII --text, raw" empty --mode raw --text 'é€ü 1~ñ'
same "non-ASCII --text, string" empty --mode string --text 'Grüße~001~€'
same "non-ASCII --text, JSON" empty --json --mode raw --text 'Ω~é'
same "file with a non-ASCII name" empty 'mëssage-ñ.txt'
same "1 MiB of noise, raw" noise --mode raw
same "1 MiB of noise, JSON" noise --json --mode raw
same "decode error" empty --mode string --text '1~001'
same "JSON of a decode error" empty --json --mode string --text '22~000~'
same "usage error" empty --bogus
same "missing file" empty missing.txt
same "folder as the file" empty .
same "trace, missing file" empty --trace missing.log
same "trace, folder" empty --trace .
same "version" empty --version
same "help" empty --help
same "empty input" empty

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
