#!/usr/bin/env bash
# Times velquist-decode decoding large messages given in ASCII Hex Mode from a
# file (the whole decoded text written out) against `xxd -r -p` merely converting
# the same hex text to bytes, alternating the two, and reports the ratio of their
# median times, velquist-decode's minor page faults and its peak memory.
#
#   unknown class     2 MiB of noise whose first byte ("9") belongs to no class:
#                     the field listing. Targets: ratio at most 0.4, peak memory
#                     under 64 MiB.
#   printer data      a function command whose 2 MiB of printer data are dense
#                     with LF, SO, ESC and FF.
#   expanding printer a function command whose 1 MiB of printer data is SO with
#                     the count byte 0xFF throughout: every two bytes become 207
#                     blanks, about 108 MB of output (fewer runs). Targets: 100 MB/s
#                     of output or better, peak memory close to the output size.
#
# Then the unknown class again, with --json against the plain run, timed by
# hyperfine: the ratio of their mean times with its spread. Target: at most 3.
#
#   bench/compare.sh [BUILD_DIR] [RUNS]     (defaults: build, 21)
set -euo pipefail
export LC_ALL=C

build=${1:-build}
runs=${2:-21}
decoder="$build/cli/velquist-decode"
. "$(dirname "$0")/timing.sh"
need_built "build the project first" "$decoder"
need_tool xxd xxd
need_tool /usr/bin/time time
need_tool hyperfine hyperfine

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

MiB=$((1024 * 1024))
hex() { xxd -p | tr -d '\n'; }
# Hex text of `count` copies of the bytes whose hex is $1.
repeat_hex() { awk -v text="$1" -v count="$2" 'BEGIN { for (i = 0; i < count; i++) printf "%s", text }'; }

# The header fields of a function command up to its printer data field: message
# class, LUNO, sequence number, next state, bill counts, function ID with screen
# data, then message coordination number, card flag and printer flag ("102").
function_command=$(printf '4\x1c001\x1c123\x1c025\x1c0200\x1c0042B010000\x0fABPLEASE WAIT!\x1c102' | hex)
# A receipt line dense with printer controls: LF, SO with a count, ESC with the
# character it swallows, FF.
receipt=$(printf 'TOTAL\nAMOUNT\x0e5USD\x1bX\x0c42\n\x0e3' | hex)

{ printf '39'; head -c $((2 * MiB - 1)) /dev/urandom | hex; } > "$work/unknown.hex"
{ printf '%s' "$function_command"; repeat_hex "$receipt" $((2 * MiB / (${#receipt} / 2))); } \
    > "$work/printer.hex"
{ printf '%s' "$function_command"; repeat_hex 0eff $((MiB / 2)); } > "$work/expanding.hex"

# Median minor page faults and peak memory (KiB) of five runs.
faults_and_peak() {
    local i
    for ((i = 0; i < 5; i++)); do
        /usr/bin/time -f '%R %M' "$@" 2>&1 > /dev/null | tail -n 1
    done > "$work/usage"
    echo "$(cut -d' ' -f1 < "$work/usage" | median) $(cut -d' ' -f2 < "$work/usage" | median)"
}

printf 'velquist-decode --mode hex FILE against xxd -r -p FILE (conversion only), median of %d runs\n\n' "$runs"
printf '%-20s %10s %10s %7s %9s %10s %10s %9s\n' \
    "input" "decode" "xxd -r -p" "ratio" "faults" "peak" "output" "MB/s out"

declare -A label=([unknown]="unknown class" [printer]="printer data" [expanding]="expanding printer")
for case in unknown printer expanding; do
    input="$work/$case.hex"
    count=$runs
    [ "$case" = expanding ] && count=$(((runs + 3) / 4))
    # Alternate the two programs so that both see the same load.
    : > "$work/ours"
    : > "$work/theirs"
    for ((i = 0; i < count; i++)); do
        elapsed_us "$decoder" --mode hex "$input" >> "$work/ours"
        elapsed_us xxd -r -p "$input" >> "$work/theirs"
    done
    ours=$(median < "$work/ours")
    theirs=$(median < "$work/theirs")
    read -r faults peak < <(faults_and_peak "$decoder" --mode hex "$input")
    output=$("$decoder" --mode hex "$input" | wc -c)
    awk -v name="${label[$case]}" -v ours="$ours" -v theirs="$theirs" -v faults="$faults" -v peak="$peak" \
        -v output="$output" 'BEGIN {
        printf "%-20s %7.2f ms %7.2f ms %7.3f %9d %6.1f MiB %6.1f MiB %9.0f\n", name, ours / 1e3,
            theirs / 1e3, ours / theirs, faults, peak / 1024, output / 1048576, output / ours
    }'
done

# The same decode as JSON: the text, the field table and every line with its
# bytes, against the plain run. hyperfine runs each command without a shell,
# after three warm-up runs, and reports their mean and standard deviation (CSV:
# command,mean,stddev,... in seconds). The ratio's spread combines the two
# relative deviations: s_r = r * sqrt((s_j / m_j)^2 + (s_p / m_p)^2).
hyperfine --style none --shell=none --warmup 3 --runs "$runs" --export-csv "$work/json.csv" \
    "$decoder --mode hex $work/unknown.hex" "$decoder --mode hex --json $work/unknown.hex" > /dev/null
read -r faults peak < <(faults_and_peak "$decoder" --mode hex --json "$work/unknown.hex")
output=$("$decoder" --mode hex --json "$work/unknown.hex" | wc -c)
awk -F, -v faults="$faults" -v peak="$peak" -v output="$output" -v runs="$runs" '
    NR == 2 { plain = $2; plainSd = $3 }
    NR == 3 { json = $2; jsonSd = $3 }
    END {
        ratio = json / plain
        spread = ratio * sqrt((jsonSd / json) ^ 2 + (plainSd / plain) ^ 2)
        printf "\n%-20s %7.2f ± %.2f ms against %.2f ± %.2f ms plain (hyperfine, %d runs each):\n",
            "unknown class --json", json * 1e3, jsonSd * 1e3, plain * 1e3, plainSd * 1e3, runs
        printf "%-20s %.2f ± %.2f times the plain run; %d faults, peak %.1f MiB, %.1f MiB of JSON\n",
            "", ratio, spread, faults, peak / 1024, output / 1048576
    }' "$work/json.csv"

cat <<'EOF'

decode: velquist-decode's median wall time, reading the file and writing the whole
decoded text; faults: its minor page faults (/usr/bin/time %R); peak: its maximum
resident set (%M). Targets: ratio at most 0.4 and peak under 64 MiB for the unknown
class; 100 MB/s of output or better for expanding printer data; --json at most
3 times the plain run.
EOF
