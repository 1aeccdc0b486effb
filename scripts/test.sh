#!/usr/bin/env bash
# Installs what is missing, builds Velquist and runs every test, stage by stage:
#   native    the release build (window, Wireshark plugin and benchmarks
#             included) and its tests, tshark running the plugin among them, and
#             the window's tests again with one font family at a time, under Xvfb
#             without a window manager and on a screen scaled by two;
#   sanitize  the same tests under AddressSanitizer and UndefinedBehaviorSanitizer
#             (the plugin loads into tshark with the sanitizer runtime preloaded);
#   fuzz      each fuzz target for VELQUIST_FUZZ_SECONDS seconds (default 60);
#   debian13  the library's, the command line's, the window's and the plugin's
#             tests on Debian 13 (GCC 14, Qt 6.8, tshark 4.4), in a chroot
#             (scripts/debian13.sh);
#   windows   velquist-decode.exe built with MinGW-w64, the library's and the
#             command line's tests under Wine, the .exe zipped into dist/
#             (scripts/windows.sh).
# The window's tests run on Qt's offscreen platform unless told otherwise: no
# display needed. At the end it prints how long each stage took.
#
#   scripts/test.sh                  every stage
#   scripts/test.sh --native         the native build and its tests only
#   scripts/test.sh STAGE...         the stages named, e.g. scripts/test.sh windows
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

all_stages=(native sanitize fuzz debian13 windows)
stages=()
for arg in "$@"; do
    case "$arg" in
    --native) stages+=(native) ;;
    native | sanitize | fuzz | debian13 | windows) stages+=("$arg") ;;
    *)
        echo "usage: scripts/test.sh [--native | STAGE...]   (stages: ${all_stages[*]})" >&2
        exit 2
        ;;
    esac
done
[ ${#stages[@]} -gt 0 ] || stages=("${all_stages[@]}")
jobs=$(nproc)

stage_native() {
    velquist_install_missing $VELQUIST_BUILD_PACKAGES $VELQUIST_UI_PACKAGES \
        $VELQUIST_WIRESHARK_PACKAGES $VELQUIST_BENCH_PACKAGES $VELQUIST_UI_TEST_PACKAGES
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELQUIST_BUILD_UI=ON \
        -DVELQUIST_BUILD_BENCHMARKS=ON -DVELQUIST_WERROR=ON
    cmake --build build -j "$jobs"
    ctest --test-dir build --output-on-failure -j "$jobs"
    tests/ui/run_variants.sh build
}

stage_sanitize() {
    velquist_install_missing $VELQUIST_BUILD_PACKAGES $VELQUIST_UI_PACKAGES \
        $VELQUIST_FUZZ_PACKAGES $VELQUIST_WIRESHARK_PACKAGES
    velquist_configure_sanitize
    cmake --build "$VELQUIST_SANITIZE_DIR" -j "$jobs"
    ctest --test-dir "$VELQUIST_SANITIZE_DIR" --output-on-failure -j "$jobs"
}

stage_fuzz() {
    fuzz/run.sh "${VELQUIST_FUZZ_SECONDS:-60}"
}

stage_debian13() {
    scripts/debian13.sh
}

stage_windows() {
    scripts/windows.sh
}

times=()
for stage in "${stages[@]}"; do
    echo "== Stage $stage"
    start=$SECONDS
    "stage_$stage"
    times+=("$stage $((SECONDS - start))")
done

echo "== Time of each stage"
printf '%s\n' "${times[@]}" |
    awk '{ total += $2; printf "  %-9s %3d min %02d s\n", $1, $2 / 60, $2 % 60 }
         END { printf "  %-9s %3d min %02d s\n", "total", total / 60, total % 60 }'
