#!/usr/bin/env bash
# Installs what is missing, builds Velquist (window included) and runs every
# test. The window's tests run on Qt's offscreen platform: no display needed.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

velquist_install_missing $VELQUIST_BUILD_PACKAGES $VELQUIST_UI_PACKAGES

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELQUIST_BUILD_UI=ON -DVELQUIST_WERROR=ON
cmake --build build
ctest --test-dir build --output-on-failure -j "$(nproc)"
