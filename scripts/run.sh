#!/usr/bin/env bash
# Installs what is missing, builds Velquist and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

velquist_install_missing $VELQUIST_BUILD_PACKAGES

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELQUIST_BUILD_UI=OFF
cmake --build build

echo "Decoding an example operational command with velquist-decode:"
printf '1~001~002~3\n' | build/cli/velquist-decode --mode string
echo
