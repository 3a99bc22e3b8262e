#!/bin/sh
# Renders the main window with sample race 1 computed into docs/screenshot-main.png
# and the back-test window after a run over samples/pat into
# docs/screenshot-backtest.png (with its chart page in docs/screenshot-backtest-chart.png).
# Given a file, renders only the main window into it.
# Runs under Xvfb when it is installed, else offscreen.
# QT_SCALE_FACTOR=2 scripts/screenshot.sh /tmp/shot-2x.png checks high-DPI scaling.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build="${VELMORA_BUILD_DIR:-$root/build/ci}"

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake --preset ci -S "$root" >/dev/null
fi
cmake --build "$build" --target velmora_screenshot -j2 >/dev/null

# Settings of the run go to a throw-away folder, never the user's.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
export XDG_CONFIG_HOME="$config"

shoot() {
    mkdir -p "$(dirname "$1")"
    if command -v xvfb-run >/dev/null 2>&1; then
        xvfb-run -a -s "-screen 0 1920x1200x24 -dpi 96" "$build/bin/velmora_screenshot" "$@"
    else
        QT_QPA_PLATFORM=offscreen "$build/bin/velmora_screenshot" "$@"
    fi
    echo "wrote $1"
}

if [ $# -gt 0 ]; then
    shoot "$1"
else
    shoot "$root/docs/screenshot-main.png"
    shoot "$root/docs/screenshot-backtest.png" --backtest
fi
