#!/bin/bash
# The real program, offscreen, following 11R of the sample race day while
# scripts/replay-race-day.sh writes the day's versions into a scratch PAT
# folder, one time of day after another. The program logs the win odds its
# sheet shows after each reload and the browser's race count after each change
# of its list (--test-follow-log); the sheet must show every version of the
# race, as the command-line program reads it, the list must grow as the
# day's races appear, and the history must hold every version of its files.
# Usage: live_follow_test.sh <velmora_desktop_harness> <velmora-cli> <source folder>
set -u

velmora="$1"
cli="$2"
source=$(cd "$3" && pwd)
# How long to wait for one version, in tenths of a second; slow builds raise it.
patience="${VELMORA_LIVE_PATIENCE:-300}"
replay="$source/scripts/replay-race-day.sh"
day="$source/samples/raceday"
followed="Zo-06050411.jra"

work=$(mktemp -d)
app_pid=""
cleanup() {
    if [ -n "$app_pid" ]; then
        kill "$app_pid" 2>/dev/null
        wait "$app_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=test_helpers.sh
. "$(dirname "$0")/test_helpers.sh"

pat="$work/pat"
log="$work/follow.log"
mkdir -p "$pat" "$work/config/Velmora" "$work/home" "$work/step/versions"
printf '[Option]\nPatFolder=%s/\n' "$pat" >"$work/config/Velmora/Velmora.conf"
: >"$log"

# Replays the versions written at one time of day, through the replay script.
replay_time() {
    rm -f "$work/step/versions"/*
    ln -s "$day/versions/$1" "$work/step/versions/$1"
    "$replay" "$work/step" "$pat" --speed 0 >>"$work/replay.out" 2>&1
}

# The sheet line of an odds file: the win odds the command-line program reads.
sheet_line_of() {
    "$cli" load --json "$1" | python3 -c '
import json, sys
race = json.load(sys.stdin)
print("sheet " + " ".join(row["win_odds"] for row in race["rows"][:race["runner_count"]]))'
}

sheet_lines() { grep -c '^sheet ' "$log"; }
last_sheet_is() { [ "$(sheet_lines)" -gt "$1" ] && grep '^sheet ' "$log" | tail -n 1 | grep -qxF "$2"; }
last_browser_count() { grep '^browser ' "$log" | tail -n 1 | cut -d' ' -f2; }
browser_count_is() { [ "$(last_browser_count)" = "$1" ]; }

times=$(ls "$day/versions")
first_time=$(echo "$times" | head -n 1)
replay_time "$first_time" || fail "the replay of $first_time failed"
[ -f "$pat/$followed" ] || fail "the first version holds no $followed"

XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" HOME="$work/home" QT_QPA_PLATFORM=offscreen \
    "$velmora" --test-load="$pat/$followed" --test-open=browser --test-follow-log="$log" \
    --test-quit-after=900000 >"$work/velmora.out" 2>&1 &
app_pid=$!

first_races=$(ls "$pat"/Zo-* | wc -l)
wait_for "$patience" browser_count_is "$first_races" || fail "the browser did not list the first $first_races races"
wait_for "$patience" last_sheet_is 0 "$(sheet_line_of "$pat/$followed")" || fail "the race was not loaded at start"

versions=1
for time in $(echo "$times" | tail -n +2); do
    before=$(sheet_lines)
    replay_time "$time" || fail "the replay of $time failed"
    if [ -e "$day/versions/$time/$followed" ] || [ -e "$day/versions/$time/Uo-${followed#Zo-}" ]; then
        versions=$((versions + 1))
        expected=$(sheet_line_of "$pat/$followed")
        wait_for "$patience" last_sheet_is "$before" "$expected" || fail "the sheet did not follow the version of $time"
    fi
done
[ "$versions" -ge 10 ] || fail "only $versions versions of $followed were replayed"

all_races=$(ls "$pat"/Zo-* | wc -l)
[ "$all_races" -gt "$first_races" ] || fail "the race day added no race"
wait_for "$patience" browser_count_is "$all_races" || fail "the browser did not grow to $all_races races"

# Every version of the race's two odds files the day wrote (each one distinct)
# must be in the program's history.
written=$(ls "$day"/versions/*/"$followed" "$day"/versions/*/"Uo-${followed#Zo-}" 2>/dev/null | wc -l)
held=$(python3 - "$work/data/Velmora/history.sqlite" "$followed" <<'PY'
import sqlite3, sys
with sqlite3.connect(f"file:{sys.argv[1]}?mode=ro", uri=True) as db:
    print(db.execute("SELECT count(*) FROM odds_version JOIN race ON race.id = odds_version.race_id"
                     " WHERE race.file_name = ?", (sys.argv[2],)).fetchone()[0])
PY
)
[ "$held" = "$written" ] || fail "the history holds $held versions of $followed's files, the day wrote $written"

if [ "$failures" -ne 0 ]; then
    echo "--- follow log" >&2
    cat "$log" >&2
    echo "--- program output" >&2
    cat "$work/velmora.out" >&2
    exit 1
fi
echo "live follow test passed: $versions versions of $followed, $held file versions in the history, the browser grew from $first_races to $all_races races"
