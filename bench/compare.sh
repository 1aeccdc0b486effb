#!/usr/bin/env bash
# Times velquist-decode decoding a 2 MiB message given in ASCII Hex Mode (the
# field listing included) against `xxd -r -p` merely converting the same hex
# text to bytes, alternating the two in one run, and prints the ratio of their
# median times (target: at most 0.5) and velquist-decode's peak memory
# (target: under 64 MiB).
#
#   bench/compare.sh [BUILD_DIR] [RUNS]     (defaults: build, 21)
set -euo pipefail

build=${1:-build}
runs=${2:-21}
decoder="$build/cli/velquist-decode"
[ -x "$decoder" ] || { echo "no $decoder: build the project first" >&2; exit 2; }
command -v xxd >/dev/null || { echo "xxd is missing (Debian package xxd)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 2 MiB of noise whose first byte ("9") belongs to no message class, so the
# decoder lists all its fields.
{ printf '9'; head -c $((2 * 1024 * 1024 - 1)) /dev/urandom; } | xxd -p | tr -d '\n' > "$work/message.hex"

now() { date +%s%N; }
median() { sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }

for ((i = 0; i < runs; i++)); do
    start=$(now); "$decoder" --mode hex "$work/message.hex" > /dev/null; end=$(now)
    echo $((end - start)) >> "$work/ours"
    start=$(now); xxd -r -p "$work/message.hex" > /dev/null; end=$(now)
    echo $((end - start)) >> "$work/xxd"
done

ours=$(median < "$work/ours")
theirs=$(median < "$work/xxd")
awk -v ours="$ours" -v theirs="$theirs" -v runs="$runs" -v size="$(stat -c %s "$work/message.hex")" 'BEGIN {
    printf "input: %d hex characters (a 2 MiB message); median of %d runs each\n", size, runs
    printf "  velquist-decode --mode hex : %8.2f ms (decode and field listing)\n", ours / 1e6
    printf "  xxd -r -p                  : %8.2f ms (conversion only)\n", theirs / 1e6
    printf "  ratio                      : %8.3f (target: at most 0.5)\n", ours / theirs
}'

if [ -x /usr/bin/time ]; then
    peak=$(/usr/bin/time -f '%M' "$decoder" --mode hex "$work/message.hex" 2>&1 > /dev/null | tail -n 1)
    awk -v kib="$peak" 'BEGIN { printf "  peak memory                : %8.1f MiB (target: under 64 MiB)\n", kib / 1024 }'
else
    echo "  peak memory: install the Debian package 'time' to measure it"
fi
