#!/usr/bin/env bash
# Remakes docs/velquist-wireshark.png, the README's picture of the d912 plugin
# in Wireshark: a capture of two terminals and their host, a function command
# selected, its decoded text open and the screen data line "Row=A Col=B
# Data:PLEASE WAIT!" selected, its bytes highlighted below. Wireshark runs
# under Xvfb; no display is needed.
#
#   scripts/wireshark-screenshot.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
velquist_install_missing $VELQUIST_SCREENSHOT_PACKAGES

build=${1:-build}
plugin="$build/wireshark/d912.so"
generator="$build/wireshark/velquist-d912-capture"
[ -f "$plugin" ] && [ -x "$generator" ] && [ -f "$build/wireshark/personal-plugin-dir" ] ||
    { echo "build the plugin first (scripts/test.sh)" >&2; exit 2; }

# A home of its own: the plugin, Decode As for the host's port, the layout.
home=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$home"
}
trap cleanup EXIT
# The plugin folder of the Wireshark the build found (plugins/<major.minor>/epan).
plugins="$home/$(cat "$build/wireshark/personal-plugin-dir")"
mkdir -p "$plugins" "$home/.config/wireshark"
cp "$plugin" "$plugins/"
"$generator" --messages 24 --conversations 2 --port 7001 "$home/atm.pcap" > /dev/null
cat > "$home/.config/wireshark/decode_as_entries" <<'END'
decode_as_entry: tcp.port,7001,(none),D912
END
cat > "$home/.config/wireshark/preferences" <<'END'
gui.layout_type: 1
gui.update.enabled: FALSE
END
cat > "$home/.config/wireshark/recent" <<'END'
gui.geometry_main_upper_pane: 250
gui.geometry_main_lower_pane: 380
END
cat > "$home/.config/wireshark/recent_common" <<'END'
gui.geometry_main_x: 0
gui.geometry_main_y: 0
gui.geometry_main_width: 1280
gui.geometry_main_height: 900
gui.geometry_main_maximized: FALSE
privs.warn_if_elevated: FALSE
END
chmod 700 "$home"
# Wireshark ignores personal plugins when it runs as root: then it runs as nobody.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534:65534 "$home"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi

display=91
while [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
export DISPLAY=":$display"
Xvfb "$DISPLAY" -screen 0 1280x900x24 -ac -nolisten tcp > /dev/null 2>&1 &
pids+=($!)
sleep 2

"${as_user[@]}" env -i HOME="$home" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" LC_ALL=C.UTF-8 \
    XDG_RUNTIME_DIR="$home" wireshark -r "$home/atm.pcap" -J "frame.number==9" > /dev/null 2>&1 &
pids+=($!)
xdotool search --sync --onlyvisible --name "atm.pcap" > /dev/null
sleep 5

# The message's tree: open it, go down to "Decoded text", open that, go down to
# the 14th line; then a little further and back, so lines follow it on screen.
xdotool mousemove 300 412 click 1
sleep 0.5
xdotool key Right
xdotool key --repeat 11 --delay 50 Down
xdotool key Right
xdotool key --repeat 16 --delay 50 Down
xdotool key --repeat 2 --delay 50 Up
xdotool mousemove 1270 890
sleep 1
import -window root docs/velquist-wireshark.png
echo "docs/velquist-wireshark.png written"
