#!/bin/sh
# Replays a race day into a folder in time order, the way the PAT software
# updates its own folder: each file is written beside the old one under a
# temporary name, then renamed over it. For demos and for trying live follow.
#
#   scripts/replay-race-day.sh SOURCE DEST [--speed N]
#
# SOURCE is a race day such as samples/raceday: versions/HHMMSS/ holds the files
# written at that time of day. DEST must exist. The waits between versions are
# the real gaps divided by N (default 1, real time; 60 turns an hour into a
# minute); --speed 0 writes every version without waiting. One line per version.
set -eu

usage() {
    echo "usage: replay-race-day.sh SOURCE DEST [--speed N]" >&2
    exit 2
}

fail() {
    echo "replay-race-day: $*" >&2
    exit 1
}

speed=1
operands=0
source=""
dest=""
while [ $# -gt 0 ]; do
    case "$1" in
    --speed)
        [ $# -ge 2 ] || usage
        speed=$2
        shift 2
        ;;
    --speed=*)
        speed=${1#--speed=}
        shift
        ;;
    -*) usage ;;
    *)
        operands=$((operands + 1))
        case $operands in
        1) source=$1 ;;
        2) dest=$1 ;;
        *) usage ;;
        esac
        shift
        ;;
    esac
done
[ "$operands" -eq 2 ] || usage

case $speed in
'' | . | *[!0-9.]* | *.*.*) fail "--speed takes a number of 0 or more, not \"$speed\"" ;;
esac

# Everything is checked before the first file is written.
[ -d "$source" ] || fail "no race day folder $source"
[ -d "$source/versions" ] || fail "$source is not a race day: it has no versions/ folder (see samples/README.md)"
[ -d "$dest" ] || fail "no folder $dest to replay into; create it first"
[ -w "$dest" ] || fail "cannot write into $dest"
count=0
for dir in "$source"/versions/*; do
    [ -e "$dir" ] || continue
    name=${dir##*/}
    case $name in
    [0-2][0-9][0-5][0-9][0-5][0-9]) [ -d "$dir" ] || fail "$dir is not a folder" ;;
    *) fail "$dir is not a version: its name must be the time HHMMSS" ;;
    esac
    count=$((count + 1))
done
[ "$count" -gt 0 ] || fail "$source is not a race day: versions/ holds no version"

# Each version's time and the seconds to wait before it at this speed, worked out
# in one pass: a process per version would slow a fast replay down.
schedule=$(for dir in "$source"/versions/*; do echo "${dir##*/}"; done | awk -v speed="$speed" '
    function seconds(t) { return substr(t, 1, 2) * 3600 + substr(t, 3, 2) * 60 + substr(t, 5, 2) }
    {
        gap = NR == 1 ? 0 : seconds($1) - seconds(previous)
        previous = $1
        if (speed == 0 || gap <= 0) print $1, 0; else printf "%s %.3f\n", $1, gap / speed
    }')

partial=""
trap 'if [ -n "$partial" ]; then rm -f "$partial"; fi' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

while read -r name pause; do
    if [ "$pause" != 0 ]; then
        sleep "$pause"
    fi
    written=""
    for file in "$source/versions/$name"/*; do
        [ -f "$file" ] || continue
        base=${file##*/}
        # A dot name, so that nothing looking for Zo-/Uo- files takes the half-written copy.
        partial="$dest/.$base.replay-$$"
        cp "$file" "$partial"
        mv -f "$partial" "$dest/$base"
        partial=""
        written="$written $base"
    done
    minutes=${name%??}
    echo "${name%????}:${minutes#??}:${name#????}$written"
done <<SCHEDULE
$schedule
SCHEDULE
