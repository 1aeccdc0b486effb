#!/usr/bin/env bash
# Installs what is missing, builds Velquist and starts its window. Without a
# display it says so and decodes an example with velquist-decode instead.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

velquist_install_missing $VELQUIST_BUILD_PACKAGES $VELQUIST_UI_PACKAGES

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELQUIST_BUILD_UI=ON
cmake --build build --target velquist velquist-decode

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display to show the window on; decoding an example operational command with velquist-decode instead:"
    printf '1~001~002~3\n' | build/cli/velquist-decode --mode string
    echo
    exit 0
fi
exec build/ui/velquist "$@"
