#!/usr/bin/env bash
# Runs the window's test programs on machines unlike the one they were written
# on, one after another:
#   - with only one font family installed, for each of DejaVu, Liberation and
#     Noto (a fontconfig file that names one font folder, with the system's
#     usual rules, so "monospace" is that family's fixed-pitch font);
#   - on a real X server (Xvfb) without a window manager;
#   - with the screen scaled by two (QT_SCALE_FACTOR=2).
#
#   tests/ui/run_variants.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${1:-build}
tests=(Cp1252Test ShownTextTest TextPlacesTest IniFileTest InputAreaTest FrmUtamaTest HighlightTest UFrmAboutTest
    DecodeOutOfMemoryTest WindowCliTest)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

run_all() { # what ENV...
    local what=$1
    shift
    local test
    for test in "${tests[@]}"; do
        if ! env "$@" "$build/tests/ui/$test" -silent > "$work/out" 2>&1; then
            echo "FAILED: $test, $what"
            cat "$work/out"
            failed=1
        fi
    done
    echo "window tests, $what: done"
}

for family in dejavu liberation noto; do
    folder=/usr/share/fonts/truetype/$family
    [ -d "$folder" ] || { echo "no $folder: install the project's font packages" >&2; exit 2; }
    cat > "$work/$family.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <dir>$folder</dir>
  <cachedir>$work/cache-$family</cachedir>
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
</fontconfig>
CONF
    run_all "only the $family fonts" FONTCONFIG_FILE="$work/$family.conf"
done

run_all "Xvfb without a window manager" QT_QPA_PLATFORM=xcb \
    xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24"
run_all "screen scaled by two" QT_SCALE_FACTOR=2

exit $failed
