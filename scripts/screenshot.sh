#!/bin/sh
# Renders the main window with sample race 1 computed into docs/screenshot-main.png
# and the back-test window after a run over samples/pat into
# docs/screenshot-backtest.png (with its chart page in docs/screenshot-backtest-chart.png).
# Given a file, renders only the main window into it.
# Runs under Xvfb when it is installed, else offscreen.
# QT_SCALE_FACTOR=2 scripts/screenshot.sh /tmp/shot-2x.png checks high-DPI scaling.
# scripts/screenshot.sh --desktop shoots the windows as a user sees them, under
# Xvfb and openbox at 96 and 144 DPI, frames included, into docs/desktop-<dpi>*.png.
# scripts/screenshot.sh --tool-windows shoots the whole screen under Xvfb and
# openbox with the main window and the browser, 成績集計 and オッズ推移 open where
# they first open: 1280x1024 at 96 DPI and 1920x1200 at 144 DPI (x1.5), into
# docs/tool-windows-96.png and docs/tool-windows-144.png; and the open dialog in
# Japanese into docs/open-dialog.png.
# scripts/screenshot.sh --race-day shoots the main window under Xvfb and openbox
# following 11R of samples/raceday while it is replayed, into docs/race-day.png.
# scripts/screenshot.sh --odds-movement shoots the odds-movement window under Xvfb
# and openbox over 11R of samples/raceday, every version recorded into a scratch
# history, into docs/odds-movement.png.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build="${VELMORA_BUILD_DIR:-$root/build/ci}"

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake --preset ci -S "$root" >/dev/null
fi
cmake --build "$build" --target velmora_screenshot -j2 >/dev/null

# Settings and history of the run go to a throw-away folder, never the user's.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
export XDG_CONFIG_HOME="$config"
export XDG_DATA_HOME="$config/data"

shoot() {
    mkdir -p "$(dirname "$1")"
    if command -v xvfb-run >/dev/null 2>&1; then
        xvfb-run -a -s "-screen 0 1920x1200x24 -dpi 96" "$build/bin/velmora_screenshot" "$@"
    else
        QT_QPA_PLATFORM=offscreen "$build/bin/velmora_screenshot" "$@"
    fi
    echo "wrote $1"
}

# An X server at DPI $1 on a free display, with openbox: sets display, xvfb
# and wm. $2 names the run's display file.
start_desktop() {
    display_file="$config/display-$2"
    Xvfb -displayfd 3 -screen 0 "${3:-1280x1024}x24" -dpi "$1" -nolisten tcp 3>"$display_file" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
    display=":$(head -n 1 "$display_file")"
    DISPLAY="$display" openbox >/dev/null 2>&1 &
    wm=$!
}

# One X server with a window manager at a DPI, on a free display.
shoot_desktop() {
    dpi="$1"
    out="$root/docs/desktop-$dpi.png"
    start_desktop "$dpi" "$dpi"
    sleep 1
    DISPLAY="$display" QT_QPA_PLATFORM=xcb QT_FONT_DPI="$dpi" \
        "$build/bin/velmora_screenshot" "$out" --desktop "$root/samples/pat/Zo-09050111.jra" || status=1
    kill "$wm" "$xvfb" 2>/dev/null || true
    wait "$wm" "$xvfb" 2>/dev/null || true
    echo "wrote $out and its -browser, -options, -backtest siblings"
}

# The main window following a race while the sample race day is replayed into a
# scratch folder.
shoot_race_day() {
    out="$root/docs/race-day.png"
    day="$config/raceday"
    mkdir -p "$day"
    start_desktop 96 race-day
    "$root/scripts/replay-race-day.sh" "$root/samples/raceday" "$day" --speed 300 >/dev/null &
    replay=$!
    for _ in $(seq 300); do [ -f "$day/Zo-06050411.jra" ] && break; sleep 0.1; done
    DISPLAY="$display" QT_QPA_PLATFORM=xcb QT_FONT_DPI=96 \
        "$build/bin/velmora_screenshot" "$out" --follow "$day/Zo-06050411.jra" || status=1
    kill "$replay" "$wm" "$xvfb" 2>/dev/null || true
    wait "$replay" "$wm" "$xvfb" 2>/dev/null || true
    echo "wrote $out"
}

# The odds-movement window over every recorded version of a race of the sample day.
shoot_odds_movement() {
    out="$root/docs/odds-movement.png"
    day="$config/pat"
    mkdir -p "$day" "$XDG_DATA_HOME"
    start_desktop 96 odds-movement
    DISPLAY="$display" QT_QPA_PLATFORM=xcb QT_FONT_DPI=96 \
        "$build/bin/velmora_screenshot" "$out" --odds-movement "$root/samples/raceday" "$day" || status=1
    kill "$wm" "$xvfb" 2>/dev/null || true
    wait "$wm" "$xvfb" 2>/dev/null || true
    echo "wrote $out"
}

# The screen with every tool window open, each settings folder fresh, at DPI $1
# on a screen of $2.
shoot_tool_windows() {
    dpi="$1"
    out="$root/docs/tool-windows-$dpi.png"
    start_desktop "$dpi" "tools-$dpi" "$2"
    XDG_CONFIG_HOME="$config/tools-$dpi" DISPLAY="$display" QT_QPA_PLATFORM=xcb QT_FONT_DPI="$dpi" \
        "$build/bin/velmora_screenshot" "$out" --tool-windows "$root/samples/pat/Zo-09050111.jra" || status=1
    kill "$wm" "$xvfb" 2>/dev/null || true
    wait "$wm" "$xvfb" 2>/dev/null || true
    echo "wrote $out"
}

shoot_open_dialog() {
    out="$root/docs/open-dialog.png"
    start_desktop 96 open-dialog
    LANG=ja_JP.UTF-8 DISPLAY="$display" QT_QPA_PLATFORM=xcb QT_FONT_DPI=96 \
        "$build/bin/velmora_screenshot" "$out" --open-dialog || status=1
    kill "$wm" "$xvfb" 2>/dev/null || true
    wait "$wm" "$xvfb" 2>/dev/null || true
    echo "wrote $out"
}

status=0
if [ "${1:-}" = "--tool-windows" ]; then
    shoot_tool_windows 96 1280x1024
    shoot_tool_windows 144 1920x1200
    shoot_open_dialog
    exit "$status"
elif [ "${1:-}" = "--odds-movement" ]; then
    shoot_odds_movement
    exit "$status"
elif [ "${1:-}" = "--race-day" ]; then
    shoot_race_day
    exit "$status"
elif [ "${1:-}" = "--desktop" ]; then
    shoot_desktop 96
    shoot_desktop 144
    exit "$status"
elif [ $# -gt 0 ]; then
    shoot "$1"
else
    shoot "$root/docs/screenshot-main.png"
    shoot "$root/docs/screenshot-backtest.png" --backtest
fi
