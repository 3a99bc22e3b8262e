#!/bin/sh
# Renders the main window with sample race 1 computed into docs/screenshot-main.png
# (or the file given). Runs under Xvfb when it is installed, else offscreen.
# QT_SCALE_FACTOR=2 scripts/screenshot.sh /tmp/shot-2x.png checks high-DPI scaling.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build="${VELMORA_BUILD_DIR:-$root/build/ci}"
output="${1:-$root/docs/screenshot-main.png}"

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake --preset ci -S "$root" >/dev/null
fi
cmake --build "$build" --target velmora_screenshot -j2 >/dev/null
mkdir -p "$(dirname "$output")"

# Settings of the run go to a throw-away folder, never the user's.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
export XDG_CONFIG_HOME="$config"

if command -v xvfb-run >/dev/null 2>&1; then
    xvfb-run -a -s "-screen 0 1920x1200x24 -dpi 96" "$build/bin/velmora_screenshot" "$output"
else
    QT_QPA_PLATFORM=offscreen "$build/bin/velmora_screenshot" "$output"
fi
echo "wrote $output"
