#!/usr/bin/env bash
# Installs what is missing, builds Velquist and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

velquist_install_missing $VELQUIST_BUILD_PACKAGES

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELQUIST_BUILD_UI=OFF -DVELQUIST_WERROR=ON
cmake --build build
ctest --test-dir build --output-on-failure -j "$(nproc)"
