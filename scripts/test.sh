#!/usr/bin/env bash
# Installs what is missing, builds Velquist and runs every test:
#   1. the release build (window, Wireshark plugin and benchmarks included) and
#      its tests, tshark running the plugin among them, and the window's tests
#      again with one font family at a time, under Xvfb without a window manager
#      and on a screen scaled by two;
#   2. the same tests under AddressSanitizer and UndefinedBehaviorSanitizer (the
#      plugin loads into tshark with the sanitizer runtime preloaded);
#   3. each fuzz target for VELQUIST_FUZZ_SECONDS seconds (default 60).
# The window's tests run on Qt's offscreen platform unless told otherwise: no
# display needed.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

velquist_install_missing $VELQUIST_BUILD_PACKAGES $VELQUIST_UI_PACKAGES $VELQUIST_FUZZ_PACKAGES \
    $VELQUIST_WIRESHARK_PACKAGES $VELQUIST_BENCH_PACKAGES $VELQUIST_UI_TEST_PACKAGES

echo "== Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELQUIST_BUILD_UI=ON \
    -DVELQUIST_BUILD_BENCHMARKS=ON -DVELQUIST_WERROR=ON
cmake --build build
ctest --test-dir build --output-on-failure -j "$(nproc)"
tests/ui/run_variants.sh build

echo "== Sanitizer build and tests"
velquist_configure_sanitize
cmake --build "$VELQUIST_SANITIZE_DIR"
ctest --test-dir "$VELQUIST_SANITIZE_DIR" --output-on-failure -j "$(nproc)"

echo "== Fuzzing"
fuzz/run.sh "${VELQUIST_FUZZ_SECONDS:-60}"
