#!/usr/bin/env bash
# Remakes docs/velquist-trace-window.png, the README's picture of the trace
# window: a generated trace of terminals and their host, a consumer request
# selected, the caret on its Track 2 line and its bytes highlighted in the trace
# lines. The window runs under Xvfb; no display is needed.
#
#   scripts/tracewin-screenshot.sh [BUILD_DIR]     (default: build, built with
#                                                   -DVELQUIST_BUILD_BENCHMARKS=ON)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
shot="$build/bench/velquist_tracewin_shot"
generator="$build/bench/velquist_trace_gen"
[ -x "$shot" ] && [ -x "$generator" ] || { echo "build with -DVELQUIST_BUILD_BENCHMARKS=ON first" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$generator" --megabytes 1 --terminals 12 --seed 4 "$work/atm-host.log"
QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
    "$shot" "$work/atm-host.log" docs/velquist-trace-window.png
echo "docs/velquist-trace-window.png written"
