#!/usr/bin/env bash
# Builds velquist-decode.exe for 64-bit Windows with MinGW-w64 and runs the
# library's and the command line's tests under Wine:
#   1. GoogleTest, from Debian's sources (/usr/src/googletest), built for Windows
#      into build-windows/googletest (once);
#   2. velquist-decode.exe and the test programs in build-windows/, statically
#      linked (cmake/mingw-w64-x86_64.cmake);
#   3. the tests under Wine, in a Wine prefix of its own (build-windows/wine),
#      among them velquist-decode.exe against the Linux build's velquist-decode
#      on the same inputs, byte for byte;
#   4. dist/velquist-decode-<version>-windows-x86_64.zip: the .exe and a README.
# The Linux build compared with is build/ (VELQUIST_NATIVE_BUILD names another);
# without one, a velquist-decode alone is built in build-cli/.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
velquist_install_missing $VELQUIST_WINDOWS_PACKAGES

build=build-windows
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
googletest=$PWD/$build/googletest
jobs=$(nproc)

export WINEPREFIX=$PWD/$build/wine
export WINEDEBUG=-all
# No Mono or Gecko for the prefix: nothing here needs .NET or a browser engine,
# and Wine would ask to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="

native=${VELQUIST_NATIVE_BUILD:-build}/cli/velquist-decode
if [ ! -x "$native" ]; then
    cmake -S . -B build-cli -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELQUIST_BUILD_UI=OFF \
        -DVELQUIST_BUILD_TESTS=OFF -DVELQUIST_BUILD_WIRESHARK=OFF
    cmake --build build-cli --target velquist-decode -j "$jobs"
    native=build-cli/cli/velquist-decode
fi

echo "== GoogleTest for Windows"
if [ ! -f "$googletest/lib/cmake/GTest/GTestConfig.cmake" ]; then
    # GoogleTest's own Windows threads, not the POSIX ones the compiler offers.
    cmake -S /usr/src/googletest -B "$build/googletest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$googletest" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=ON
    cmake --build "$build/googletest-build" -j "$jobs"
    cmake --install "$build/googletest-build" > /dev/null
fi

echo "== velquist-decode.exe and its tests"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DVELQUIST_BUILD_UI=OFF -DVELQUIST_WERROR=ON -DVELQUIST_WINDOWS_PREFIX="$googletest" \
    -DVELQUIST_NATIVE_DECODE="$PWD/$native"
cmake --build "$build" -j "$jobs"

echo "== Tests under Wine"
# One Wine server for all the runs (unless one is already running for the
# prefix), ended with the script.
wineboot --init > /dev/null 2>&1
wineserver --persistent 2> /dev/null || true
trap 'wineserver --kill' EXIT
ctest --test-dir "$build" --output-on-failure -j "$jobs"

echo "== dist/"
version=$(awk '$1 == "VERSION" { print $2; exit }' CMakeLists.txt)
package=dist/velquist-decode-$version-windows-x86_64.zip
mkdir -p dist "$build/dist"
# The README's part for a Windows user, with Windows line ends.
awk '/<!-- windows-readme:begin -->/ { on = 1; next } /<!-- windows-readme:end -->/ { on = 0 } on' \
    README.md | sed 's/$/\r/' > "$build/dist/README.txt"
[ -s "$build/dist/README.txt" ] || { echo "README.md has no part marked for Windows" >&2; exit 1; }
x86_64-w64-mingw32-strip -o "$build/dist/velquist-decode.exe" "$build/cli/velquist-decode.exe"
rm -f "$package"
(cd "$build/dist" && zip -q -X "../../$package" velquist-decode.exe README.txt)
echo "$package written"
