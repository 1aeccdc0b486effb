#!/usr/bin/env bash
# Times tshark with the d912 plugin over a capture of 100,000 messages of every
# class, exchanged by 20 terminals with their host (one TCP conversation each):
#
#   tshark -r CAPTURE -d tcp.port==7001,d912 -T fields -e frame.number -e d912.type
#
# against the same command with --disable-protocol d912, alternating the two,
# and prints the medians of their elapsed and CPU times, their ratios (target:
# at most 1.5) and their peak memory. First it checks that the plugin dissects
# every message. Exit status 1 when the elapsed-time target is missed.
#
#   bench/tshark.sh [BUILD_DIR] [RUNS]     (defaults: build, 5)
#
# tshark ignores personal plugins when it runs as root, so as root it runs as
# the user nobody, with the plugin in a temporary home; the system's plugins
# stay out, both times.
set -euo pipefail

build=${1:-build}
runs=${2:-5}
plugin="$build/wireshark/d912.so"
generator="$build/wireshark/velquist-d912-capture"
. "$(dirname "$0")/timing.sh"
need_built "build the project with Wireshark's development files first" \
    "$plugin" "$generator" "$build/wireshark/personal-plugin-dir"
need_tool tshark tshark
need_tool /usr/bin/time time

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# The plugin folder of the Wireshark the build found (plugins/<major.minor>/epan).
plugins="$home/$(cat "$build/wireshark/personal-plugin-dir")"
mkdir -p "$plugins" "$home/no-system-plugins"
cp "$plugin" "$plugins/"
messages=100000
"$generator" --messages $messages --conversations 20 --port 7001 "$home/capture.pcap" > /dev/null
chmod -R a+rX "$home"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534:65534 "$home"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi

# tshark over the capture in a fixed environment, printing the two fields.
tshark_cmd=("${as_user[@]}" env -i HOME="$home" WIRESHARK_PLUGIN_DIR="$home/no-system-plugins"
    PATH=/usr/bin:/bin LC_ALL=C tshark -r "$home/capture.pcap" -d tcp.port==7001,d912
    -T fields -e frame.number -e d912.type)

dissected=$("${tshark_cmd[@]}" | awk -F'\t' '$2 != ""' | wc -l)
if [ "$dissected" -ne $messages ]; then
    echo "the plugin dissected $dissected of $messages messages" >&2
    exit 1
fi

# One timed run with the extra options given: elapsed seconds, CPU seconds, peak KiB.
timed() {
    /usr/bin/time -f '%e %U %S %M' -o "$home/time" "${tshark_cmd[@]}" "$@" > /dev/null
    awk '{ print $1, $2 + $3, $4 }' "$home/time"
}

for ((i = 0; i < runs; i++)); do
    timed >> "$home/with"
    timed --disable-protocol d912 >> "$home/without"
done

column() { awk -v c="$1" '{ print $c }' "$2" | median; }

awk -v we="$(column 1 "$home/with")" -v oe="$(column 1 "$home/without")" \
    -v wc="$(column 2 "$home/with")" -v oc="$(column 2 "$home/without")" \
    -v wm="$(column 3 "$home/with")" -v om="$(column 3 "$home/without")" \
    -v runs="$runs" -v messages=$messages 'BEGIN {
    printf "capture: %d messages of every class over 20 TCP conversations; median of %d runs each\n", messages, runs
    printf "                       elapsed     CPU   peak memory\n"
    printf "  with d912          %7.2f s %5.2f s %8.1f MiB\n", we, wc, wm / 1024
    printf "  --disable-protocol %7.2f s %5.2f s %8.1f MiB\n", oe, oc, om / 1024
    printf "  ratio              %7.2f   %5.2f   (target: elapsed at most 1.5)\n", we / oe, wc / oc
    exit (we / oe > 1.5)
}'
