#!/usr/bin/env bash
# Times the trace window on a real X server (Xvfb, no window manager) with
# generated traces (bench/TraceGen.cpp: terminals and their host in the xxd
# layout): a 100 MB trace, and one of a million messages for the filters. See
# bench/TraceWindowBench.cpp for what is measured; targets: first rows within
# 0.5 s, 100 MB indexed within 2 s, a LUNO or type filter over a million
# messages within 200 ms, at most 100 bytes a message on top of the mapped file.
#
#   bench/tracewin_bench.sh [BUILD_DIR] [RUNS]     (defaults: build, 3)
# The build needs -DVELQUIST_BUILD_BENCHMARKS=ON and the window.
set -euo pipefail

build=${1:-build}
runs=${2:-3}
bench="$build/bench/velquist_tracewin_bench"
generator="$build/bench/velquist_trace_gen"
. "$(dirname "$0")/timing.sh"
need_built "build with -DVELQUIST_BUILD_BENCHMARKS=ON" "$bench" "$generator"
need_tool xvfb-run xvfb

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$generator" --megabytes 100 "$work/100mb.log"
# About 310 bytes a message: a million messages.
"$generator" --megabytes 310 --seed 2 "$work/million.log"

for trace in "$work/100mb.log" "$work/million.log"; do
    QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
        "$bench" "$trace" "$runs"
done
