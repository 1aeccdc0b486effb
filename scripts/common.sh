# Shared by the project's scripts: the Debian packages the project needs, the
# installation of those that are missing, and the build configurations.
# Needs root (or sudo) for apt-get.

# The Debian release this runs on, 12 (bookworm) or 13 (trixie): a few packages
# carry a version in their names, and the names differ between the two.
velquist_debian_release() {
    local VERSION_ID="" VERSION_CODENAME=""
    . /etc/os-release
    case "${VERSION_CODENAME:-}" in
    bookworm) echo 12 ;;
    trixie) echo 13 ;;
    *) echo "${VERSION_ID%%.*}" ;;
    esac
}
case "$(velquist_debian_release)" in
12)
    VELQUIST_BOOST_JSON_PACKAGE=libboost-json1.81-dev
    VELQUIST_CLANG_RUNTIME_PACKAGE=libclang-rt-14-dev # the runtimes of Debian's clang, 14
    VELQUIST_QT_OPENGL_PACKAGE=libqt6opengl6-dev      # Qt Charts needs it; qt6-base-dev lacks it
    ;;
*)
    # Debian 13, and what comes after it until its names change again.
    VELQUIST_BOOST_JSON_PACKAGE=libboost-json-dev     # Boost 1.83
    VELQUIST_CLANG_RUNTIME_PACKAGE=libclang-rt-19-dev # the runtimes of Debian's clang, 19
    VELQUIST_QT_OPENGL_PACKAGE=""                     # in qt6-base-dev
    ;;
esac

# Building the decoder, the command line and the tests.
VELQUIST_BUILD_PACKAGES="g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev $VELQUIST_BOOST_JSON_PACKAGE nlohmann-json3-dev"
# The window (and a font for its tests on the offscreen platform).
VELQUIST_UI_PACKAGES="qt6-base-dev qt6-charts-dev $VELQUIST_QT_OPENGL_PACKAGE fonts-dejavu-core"
# The window's tests on other machines (tests/ui/run_variants.sh) and its
# benchmark (bench/window_bench.sh): more font families, an X server without a
# window manager.
VELQUIST_UI_TEST_PACKAGES="fonts-liberation fonts-noto-mono xvfb xauth"
# The sanitizer and fuzzing build: clang with its sanitizer and libFuzzer runtimes.
VELQUIST_FUZZ_PACKAGES="clang $VELQUIST_CLANG_RUNTIME_PACKAGE"
# The Wireshark dissector plugin and its tests: Wireshark's development files
# (pkg-config wireshark needs GLib's too) and tshark.
VELQUIST_WIRESHARK_PACKAGES="libwireshark-dev libglib2.0-dev tshark"
# Only for scripts/wireshark-screenshot.sh, which remakes the README's picture of
# the plugin in Wireshark: the Wireshark window, a display server without a
# screen, and the tools that drive it and take the picture.
VELQUIST_SCREENSHOT_PACKAGES="wireshark xvfb xdotool imagemagick"
# The benchmarks and their comparison script.
VELQUIST_BENCH_PACKAGES="libbenchmark-dev xxd time hyperfine"
# The Windows build of velquist-decode (scripts/windows.sh): the MinGW-w64 cross
# compiler, Wine to run the tests, GoogleTest's sources to build it for Windows,
# Boost's and nlohmann-json's headers (Boost.JSON header-only), zip for dist/
VELQUIST_WINDOWS_PACKAGES="g++-mingw-w64-x86-64-posix wine wine64 googletest cmake ninja-build $VELQUIST_BOOST_JSON_PACKAGE nlohmann-json3-dev zip"
# The Debian 13 environment of the test command (scripts/debian13.sh).
VELQUIST_DEBIAN13_PACKAGES="debootstrap"

velquist_install_missing() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# build-sanitize: everything (window, tests, fuzz targets) built with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer, optimised lightly and with
# line tables only: a report names the file and line, and the build is quick.
VELQUIST_SANITIZE_DIR=build-sanitize
velquist_configure_sanitize() {
    cmake -S . -B "$VELQUIST_SANITIZE_DIR" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
        -DVELQUIST_BUILD_FUZZERS=ON -DVELQUIST_WERROR=ON
}
