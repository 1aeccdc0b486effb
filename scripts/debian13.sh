#!/usr/bin/env bash
# Builds Velquist and runs its tests on Debian 13 (trixie: GCC 14, Qt 6.8,
# Boost 1.83, Wireshark 4.4), in a Debian 13 chroot made with debootstrap in
# chroots/trixie/ on the first run and reused after that (delete the folder to
# start afresh). Inside, the project folder is /velquist and the build goes to
# build-debian13/: the library's, the command line's, the window's (offscreen)
# and the Wireshark plugin's tests, tshark 4.4 loading the plugin. Needs root.
#
#   scripts/debian13.sh              make the chroot if needed, build, run the tests
#   scripts/debian13.sh COMMAND...   run COMMAND in the chroot's /velquist instead
#                                    (e.g. ctest --test-dir build-debian13 -R Tshark)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

root=chroots/trixie
build=build-debian13
mirror=${VELQUIST_DEBIAN_MIRROR:-http://deb.debian.org/debian}

if [ "${1:-}" = --inside ]; then
    shift
    if [ $# -gt 0 ]; then
        exec "$@"
    fi
    # The benchmarks and the window's runs with other fonts and screens add
    # nothing here that the Debian 12 build does not already check.
    velquist_install_missing $VELQUIST_BUILD_PACKAGES $VELQUIST_UI_PACKAGES \
        $VELQUIST_WIRESHARK_PACKAGES
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELQUIST_BUILD_UI=ON \
        -DVELQUIST_WERROR=ON
    cmake --build "$build" -j "$(nproc)"
    ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "scripts/debian13.sh needs root (debootstrap, mount, chroot)" >&2
    exit 2
fi
velquist_install_missing $VELQUIST_DEBIAN13_PACKAGES

# Never delete a folder something is still mounted in: rm would go on into /dev.
if findmnt -rn -o TARGET | grep -q "^$PWD/$root/"; then
    echo "something is still mounted under $root: unmount it first" >&2
    exit 1
fi
if [ ! -f "$root/.velquist-complete" ]; then
    echo "Making the Debian 13 chroot in $root"
    rm -rf "$root"
    mkdir -p "$(dirname "$root")"
    # In a mount namespace of its own: what debootstrap mounts in the new system
    # goes away with it, even when it stops half-way.
    unshare --mount --propagation private debootstrap --variant=minbase trixie "$root" "$mirror"
    # A system for builds, made again at will: packages install without waiting
    # for each file to reach the disk, and without documentation.
    printf '%s\n' force-unsafe-io path-exclude=/usr/share/doc/* path-exclude=/usr/share/man/* \
        path-exclude=/usr/share/locale/* > "$root/etc/dpkg/dpkg.cfg.d/velquist"
    touch "$root/.velquist-complete"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf" # apt-get inside reaches the archive
mkdir -p "$root/velquist"

# A mount namespace of its own: the mounts are seen by nothing else, and go
# away with the namespace however the run ends; the trap unmounts them on the
# way out all the same.
unshare --mount --propagation private bash -euo pipefail -c '
    root=$1
    trap "umount -R \"$root/velquist\" \"$root/dev\" \"$root/proc\" 2>/dev/null || true" EXIT
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --bind "$PWD" "$root/velquist"
    shift
    chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
        CI="${CI:-}" /bin/bash /velquist/scripts/debian13.sh --inside "$@"
' bash "$PWD/$root" "$@"
