#!/usr/bin/env bash
# Times the window with a large message on a real X server (Xvfb, no window
# manager): pasting 4 MiB of hex text through the clipboard, "Remove Space(s)"
# on it, and decoding and showing the 2 MiB message it holds; prints the median
# of RUNS runs of each (target: each under 250 ms). Then caret moves with the
# highlighting that ties output lines to input characters, in ASCII Hex Mode and
# on a NETADRD trace of the same message, against the same moves untied
# (target: under 50 ms).
#
#   bench/window_bench.sh [BUILD_DIR] [RUNS]     (defaults: build, 3)
# The build needs -DVELQUIST_BUILD_BENCHMARKS=ON and the window
# (-DVELQUIST_BUILD_UI=ON); Xvfb comes with the Debian package xvfb.
set -euo pipefail

build=${1:-build}
runs=${2:-3}
bench="$build/bench/velquist_window_bench"
. "$(dirname "$0")/timing.sh"
need_built "build with -DVELQUIST_BUILD_BENCHMARKS=ON" "$bench"
need_tool xvfb-run xvfb

QT_QPA_PLATFORM=xcb exec xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
    "$bench" "$runs"
