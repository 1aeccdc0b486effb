# Installs the Debian packages the project needs, only those that are missing.
# Sourced by the run and test scripts; needs root (or sudo) for apt-get.

# Building the decoder, the command line and the tests.
VELQUIST_BUILD_PACKAGES="g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev"
# The window.
VELQUIST_UI_PACKAGES="qt6-base-dev"

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
