#!/bin/bash
# Runs the built program as a user would, on its own X server with a window
# manager: window positions must come back the same after any number of
# restarts, stored positions off the screen must bring the whole frame back
# onto it, and the file browser must belong to the main window.
# The windows are driven through the test program, which is the program plus
# its test switches; the shipped program must carry none of them.
# Usage: desktop_test.sh <velmora> <velmora_desktop_harness> <PAT folder>
# Exit status 77 (skipped) when Xvfb, openbox or the X tools are missing.
set -u

velmora="$1"
harness="$2"
pat_folder="$3"
# How long to wait for a window to appear, in tenths of a second; slow builds raise it.
patience="${VELMORA_DESKTOP_PATIENCE:-200}"
screen_w=1280
screen_h=1024

for tool in Xvfb openbox xdotool xprop xwininfo timeout; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "desktop test skipped: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=test_helpers.sh
. "$(dirname "$0")/test_helpers.sh"

start_x() {
    # A free display number from the server itself: other X servers may run here.
    # No reset between clients, so that a start never meets a server resetting.
    Xvfb -displayfd 3 -screen 0 "${screen_w}x${screen_h}x24" -dpi 96 -nolisten tcp -noreset \
        3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    if ! wait_for 100 test -s "$work/display"; then
        echo "Xvfb did not start" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    export DISPLAY=":$(head -n 1 "$work/display")"
}

start_wm() {
    openbox >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    # A loaded machine (a sanitizer build testing in parallel) may take a while.
    if ! wait_for 300 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'; then
        echo "openbox did not start" >&2
        cat "$work/openbox.log" >&2
        exit 1
    fi
}

stop_wm() {
    kill "$wm_pid" 2>/dev/null
    wait "$wm_pid" 2>/dev/null
    wm_pid=""
}

# The program's settings, as the user's config folder holds them.
export XDG_CONFIG_HOME="$work/config"
export HOME="$work/home"
export XDG_DATA_HOME="$work/data"
mkdir -p "$XDG_CONFIG_HOME/Velmora" "$HOME"
conf="$XDG_CONFIG_HOME/Velmora/Velmora.conf"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

# Settings with the sample PAT folder and one window's stored position.
write_position() {
    printf '[Option]\nPatFolder=%s\n\n[%s]\nLeft=%s\nTop=%s\n' "$pat_folder" "$1" "$2" "$3" >"$conf"
}

stored() {
    sed -n "/^\[$1\]/,/^\[/p" "$conf" | sed -n "s/^$2=//p"
}

app_pid=""
start_app() {
    # The program closes itself should the test lose track of it.
    "$harness" --test-quit-after=$((patience * 300)) "$@" >"$work/app.log" 2>&1 &
    app_pid=$!
}

# Closes a window as a user does, with the window manager's Alt+F4; without a
# window manager the program's own Exit command (Alt+F, X) ends it.
close_window() {
    timeout 10 xdotool windowactivate --sync "$1" >/dev/null 2>&1 ||
        timeout 10 xdotool windowfocus --sync "$1" >/dev/null 2>&1
    if [ -n "$wm_pid" ]; then
        xdotool key --clearmodifiers alt+F4
    else
        xdotool key --clearmodifiers alt+f x
    fi
}

finish_app() {
    local waited=0
    while kill -0 "$app_pid" 2>/dev/null; do
        if [ "$waited" -ge "$patience" ]; then
            fail "the program did not close; killed"
            kill -9 "$app_pid" 2>/dev/null
            break
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    wait "$app_pid" 2>/dev/null
    local status=$?
    [ "$status" -eq 0 ] || fail "the program ended with status $status: $(cat "$work/app.log")"
}

# The visible window of the program with this title.
window_named() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
        if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ]; then
            echo "$id"
            return 0
        fi
    done
    return 1
}

find_window() {
    local id
    for _ in $(seq "$patience"); do
        id=$(window_named "$1") && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Left, top, right and bottom (exclusive) of a window's frame, title bar included.
frame_of() {
    local id="$1" x y w h extents
    x=$(xwininfo -id "$id" | sed -n 's/.*Absolute upper-left X: *//p')
    y=$(xwininfo -id "$id" | sed -n 's/.*Absolute upper-left Y: *//p')
    w=$(xwininfo -id "$id" | sed -n 's/.*Width: *//p')
    h=$(xwininfo -id "$id" | sed -n 's/.*Height: *//p')
    extents=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')
    [ -n "$extents" ] || extents="0,0,0,0"
    IFS=, read -r el er et eb <<<"$extents"
    echo "$((x - el)) $((y - et)) $((x + w + er)) $((y + h + eb))"
}

# Waits until the window manager has framed the window and left it in place.
settled_frame() {
    local id="$1" previous="" current
    for _ in $(seq 20); do
        current=$(frame_of "$id")
        if [ "$current" = "$previous" ]; then
            [ -z "$wm_pid" ] && break
            xprop -id "$id" _NET_FRAME_EXTENTS | grep -q "=" && break
        fi
        previous="$current"
        sleep 0.1
    done
    echo "$current"
}

# Starts from a stored position ($4 times, five by default): the twips stay
# exactly as stored and the frame's corner is where they say.
round_trip() {
    local section="$1" title="$2" switch="$3" starts="${4:-5}" left=1500 top=1500 cycle id main
    write_position "$section" "$left" "$top"
    for cycle in $(seq "$starts"); do
        start_app $switch
        if id=$(find_window "$title"); then
            read -r fl ft _ _ <<<"$(settled_frame "$id")"
            # 1500 twips are 100 pixels at 96 DPI.
            [ "$fl $ft" = "100 100" ] || fail "$section start $cycle: frame at $fl,$ft, not 100,100"
            # The modal Options window closes first; the browser goes with the main window.
            [ "$title" = "ｵﾌﾟｼｮﾝ" ] && close_window "$id"
        else
            fail "$section start $cycle: no window \"$title\""
        fi
        if main=$(find_window Velmora); then
            close_window "$main"
        fi
        finish_app
        [ "$(stored "$section" Left)" = "$left" ] && [ "$(stored "$section" Top)" = "$top" ] ||
            fail "$section start $cycle stored $(stored "$section" Left)/$(stored "$section" Top)"
    done
}

# A stored position off the screen brings the whole frame back onto it, and
# what is stored then is where the frame was.
off_screen() {
    local left="$1" top="$2" id l t r b
    write_position MainWindow "$left" "$top"
    start_app
    if id=$(find_window Velmora); then
        read -r l t r b <<<"$(settled_frame "$id")"
        if [ "$l" -lt 0 ] || [ "$t" -lt 0 ] || [ "$r" -gt "$screen_w" ] || [ "$b" -gt "$screen_h" ]; then
            fail "stored $left/$top: frame $l,$t-$r,$b is not inside the screen"
        fi
        close_window "$id"
    else
        fail "stored $left/$top: no main window"
    fi
    finish_app
    local stored_left stored_top
    stored_left=$(stored MainWindow Left)
    stored_top=$(stored MainWindow Top)
    [ "$stored_left" = "$((l * 15))" ] && [ "$stored_top" = "$((t * 15))" ] ||
        fail "stored $left/$top: stored $stored_left/$stored_top for a frame at $l,$t"
}

# Each window the main window owns tells the window manager so.
transient_for_main() {
    local section="$1" title="$2" switch="$3" main window owner
    write_position "$section" 1500 1500
    start_app "$switch"
    main=$(find_window Velmora) || fail "no main window"
    window=$(find_window "$title") || fail "no window \"$title\""
    if [ -n "$main" ] && [ -n "$window" ]; then
        owner=$(xprop -id "$window" WM_TRANSIENT_FOR | sed -n 's/.*window id # *//p')
        [ "$((owner))" = "$main" ] || fail "WM_TRANSIENT_FOR of \"$title\" is '$owner', not $main"
        close_window "$main"
    fi
    finish_app
}

# Never placed before, the browser opens beside the main window, wholly on the
# screen and covering none of it; Esc then closes it, as 閉じる does.
browser_beside_main() {
    local main browser ml mt mr mb bl bt br bb
    write_position MainWindow 0 0
    start_app --test-open=browser
    main=$(find_window Velmora) || fail "no main window"
    browser=$(find_window "PATﾌｧｲﾙの選択") || fail "no browser"
    if [ -n "$main" ] && [ -n "$browser" ]; then
        read -r ml mt mr mb <<<"$(settled_frame "$main")"
        read -r bl bt br bb <<<"$(settled_frame "$browser")"
        if [ "$bl" -lt 0 ] || [ "$bt" -lt 0 ] || [ "$br" -gt "$screen_w" ] || [ "$bb" -gt "$screen_h" ]; then
            fail "browser frame $bl,$bt-$br,$bb is not inside the screen"
        fi
        if [ "$bl" -lt "$mr" ] && [ "$br" -gt "$ml" ] && [ "$bt" -lt "$mb" ] && [ "$bb" -gt "$mt" ]; then
            fail "browser frame $bl,$bt-$br,$bb covers the main window's $ml,$mt-$mr,$mb"
        fi
        timeout 10 xdotool windowactivate --sync "$browser" >/dev/null 2>&1
        xdotool key --clearmodifiers Escape
        for _ in $(seq "$patience"); do
            window_named "PATﾌｧｲﾙの選択" >/dev/null || break
            sleep 0.1
        done
        window_named "PATﾌｧｲﾙの選択" >/dev/null && fail "Esc did not close the browser"
        close_window "$main"
    fi
    finish_app
}

# The program closed while a message box is still open ends cleanly, the box
# going with its window once: here the odds history can't be kept (its folder
# is a file), and nobody answers the box saying so before the program closes.
closes_under_a_message_box() {
    : >"$work/not-a-folder"
    write_position MainWindow 1500 1500
    XDG_DATA_HOME="$work/not-a-folder" "$harness" --test-quit-after=$((patience * 50)) \
        --test-load="$pat_folder/Zo-09050111.jra" >"$work/app.log" 2>&1 &
    app_pid=$!
    # Two windows called Velmora: the main window and the message box.
    wait_for "$patience" sh -c "[ \$(xdotool search --onlyvisible --pid $app_pid --name '^Velmora\$' | wc -l) -ge 2 ]" \
        2>/dev/null || fail "no message box about the odds history before the program closed"
    finish_app
}

# Asked for help, the program answers without a display and exits 0.
help=$(DISPLAY= "$velmora" --help 2>&1)
status=$?
[ "$status" -eq 0 ] && [ "${help#Usage: velmora }" != "$help" ] ||
    fail "velmora --help: status $status, said: $help"
# A test switch is an unknown option to the shipped program, and in none of its bytes.
QT_QPA_PLATFORM=offscreen "$velmora" --test-open=browser >/dev/null 2>&1
status=$?
[ "$status" -eq 2 ] || fail "velmora --test-open=browser: status $status, not 2"
# Qt keeps its string literals in UTF-16, so both spellings are looked for.
switches=$(LC_ALL=C grep -c -a -P -- '--test-|-\x00t\x00e\x00s\x00t\x00-\x00' "$velmora")
[ "$switches" -eq 0 ] || fail "velmora holds $switches lines with a test switch"

start_x
start_wm
round_trip MainWindow Velmora ""
round_trip SelectFileWindow "PATﾌｧｲﾙの選択" --test-open=browser
round_trip OptionWindow "ｵﾌﾟｼｮﾝ" --test-open=options
off_screen 100000 100000
off_screen -50000 -50000
transient_for_main SelectFileWindow "PATﾌｧｲﾙの選択" --test-open=browser
transient_for_main OddsMovementWindow "オッズ推移" --test-open=oddsmovement
browser_beside_main
closes_under_a_message_box

# Without a window manager the frame is the window itself.
stop_wm
round_trip MainWindow Velmora "" 2

if [ "$failures" -gt 0 ]; then
    echo "desktop test: $failures failure(s)" >&2
    exit 1
fi
echo "desktop test: passed"
