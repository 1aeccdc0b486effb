#!/usr/bin/env bash
# Times velquist-decode walking a large trace against `xxd -r` converting the
# same file back to bytes, side by side (alternating, so both see the same
# load), and measures the walk's peak memory per message.
#
# The trace (bench/TraceGen.cpp, 100 MB by default) is terminals and their host
# at work in the xxd layout: consumer requests, function commands, solicited
# statuses, each after a header line with its time. Measured:
#
#   xxd -r TRACE                          the reference
#   velquist-decode --trace --stats TRACE the walk, pairing and statistics
#                                         (target: at most half xxd's time)
#   velquist-decode --trace TRACE         the listing of every message
#                                         (target: at most xxd's time)
#
# Peak memory (maximum resident set, /usr/bin/time %M) counts the mapped trace
# too; per message it is (peak - trace size) / messages (target: 64 bytes at
# most), also shown without the program's own start-up memory (the peak for a
# one-message trace). Then the walk at a quarter, a half and all of the size, to
# show that time and memory grow linearly.
#
#   bench/trace_bench.sh [BUILD_DIR] [RUNS] [MEGABYTES]     (defaults: build, 5, 100)
set -euo pipefail
export LC_ALL=C

build=${1:-build}
runs=${2:-5}
megabytes=${3:-100}
decoder="$build/cli/velquist-decode"
generator="$build/bench/velquist_trace_gen"
. "$(dirname "$0")/timing.sh"
need_built "build with -DVELQUIST_BUILD_BENCHMARKS=ON first" "$decoder" "$generator"
need_tool xxd xxd
need_tool /usr/bin/time time

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Median peak memory (KiB) of three runs.
peak_kib() {
    local i
    for ((i = 0; i < 3; i++)); do
        /usr/bin/time -f '%M' "$@" 2>&1 > /dev/null | tail -n 1
    done | median
}

messages_in() { "$decoder" --trace --stats --json "$1" | grep -o '"messages":[0-9]*' | cut -d: -f2; }

trace="$work/trace.txt"
"$generator" --megabytes "$megabytes" "$trace"
size=$(stat -c %s "$trace")
messages=$(messages_in "$trace")
printf '10:00:00.000 RECV 32 32 1c 30 30 31 1c 1c 39\n' > "$work/one.txt"
baseline=$(peak_kib "$decoder" --trace --stats "$work/one.txt")

printf 'Trace: %d bytes, %d messages (xxd layout); median of %d runs\n\n' "$size" "$messages" "$runs"
: > "$work/xxd"
: > "$work/stats"
: > "$work/listing"
for ((i = 0; i < runs; i++)); do
    elapsed_us xxd -r "$trace" >> "$work/xxd"
    elapsed_us "$decoder" --trace --stats "$trace" >> "$work/stats"
    elapsed_us "$decoder" --trace "$trace" >> "$work/listing"
done
xxd_us=$(median < "$work/xxd")
printf '%-36s %10s %12s %12s %14s\n' "command" "time" "xxd / it" "peak" "bytes/message"
report() {
    local name=$1 us=$2 peak=$3
    awk -v name="$name" -v us="$us" -v xxd="$xxd_us" -v peak="$peak" -v size="$size" \
        -v messages="$messages" -v baseline="$baseline" 'BEGIN {
        per = peak == "" ? "" : sprintf("%.1f (%.1f)", (peak * 1024 - size) / messages,
                                        ((peak - baseline) * 1024 - size) / messages)
        printf "%-36s %8.2f s %12.2f %9.1f MiB %14s\n", name, us / 1e6, xxd / us,
            peak == "" ? 0 : peak / 1024, per
    }'
}
report "xxd -r TRACE" "$xxd_us" ""
report "velquist-decode --trace --stats" "$(median < "$work/stats")" \
    "$(peak_kib "$decoder" --trace --stats "$trace")"
report "velquist-decode --trace (listing)" "$(median < "$work/listing")" \
    "$(peak_kib "$decoder" --trace "$trace")"

printf '\nGrowth of --trace --stats with the trace (median of 3 runs each):\n'
printf '%10s %10s %10s %12s %14s\n' "MB" "messages" "time" "s per 100 MB" "bytes/message"
for part in 4 2 1; do
    piece="$work/part.txt"
    "$generator" --megabytes $((megabytes / part)) "$piece"
    piece_size=$(stat -c %s "$piece")
    piece_messages=$(messages_in "$piece")
    us=$(for ((i = 0; i < 3; i++)); do elapsed_us "$decoder" --trace --stats "$piece"; done | median)
    peak=$(peak_kib "$decoder" --trace --stats "$piece")
    awk -v size="$piece_size" -v messages="$piece_messages" -v us="$us" -v peak="$peak" \
        -v baseline="$baseline" 'BEGIN {
        printf "%10.1f %10d %8.2f s %12.2f %14s\n", size / 1e6, messages, us / 1e6,
            us / 1e6 * 1e8 / size, sprintf("%.1f (%.1f)", (peak * 1024 - size) / messages,
                                           ((peak - baseline) * 1024 - size) / messages)
    }'
done

cat <<'EOF_NOTE'

xxd / it: how many times faster than xxd -r on the same file (targets: 2 for
--stats, 1 for the listing). bytes/message: peak memory less the mapped trace,
per message; in brackets also less the program's own start-up memory.
EOF_NOTE
