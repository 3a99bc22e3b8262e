#!/bin/sh
# Replays a small race day made by the fixture writer into a temporary folder and
# checks what a reader of that folder relies on: every version in time order, each
# file replaced by a rename (never rewritten in place), no temporary names left,
# the last versions in the end; and a clear refusal of a wrong source or target.
#
#   replay_race_day_test.sh PATH/TO/velmora-patfixture PATH/TO/replay-race-day.sh
set -eu
tool=$1
replay=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() {
    what=$1
    shift
    if ! "$@"; then
        echo "FAIL: $what" >&2
        failures=$((failures + 1))
    fi
}

cat >"$work/race1.txt" <<'DESCRIPTION'
race: 1
versions: 4 09:00:00 09:00:09
backed: 3
result-at: 09:00:30
runner: 2.5
runner: 4.0
runner: 9.0
runner: 15.0
runner: 30.0
runner: 60.0
runner: 80.0
runner: 99.0
DESCRIPTION
cat >"$work/race2.txt" <<'DESCRIPTION'
race: 2
files: Zo Uo De
versions: 3 09:00:05 09:00:15
drifting: 1
runner: 3.0
runner: 4.0
runner: 6.0
runner: 8.0
runner: 12.0
runner: 20.0
runner: 40.0
runner: 50.0
DESCRIPTION
"$tool" --versions "$work/day" "$work/race1.txt" "$work/race2.txt"
day="$work/day"

# The PAT folder already holds an older odds file of race 1, also linked from
# outside: a rename over it leaves these bytes as they were, a rewrite would not.
mkdir "$work/pat"
echo "odds of an earlier day" >"$work/pat/Zo-05010101.jra"
ln "$work/pat/Zo-05010101.jra" "$work/old-link"
cp "$work/pat/Zo-05010101.jra" "$work/old-copy"
old_inode=$(stat -c %i "$work/pat/Zo-05010101.jra")

if ! "$replay" "$day" "$work/pat" --speed 100 >"$work/out" 2>"$work/err"; then
    echo "FAIL: the replay did not run through:" >&2
    cat "$work/err" >&2
    exit 1
fi

find "$day/versions" -mindepth 1 -maxdepth 1 -exec basename {} \; | sort | sed 's/^\(..\)\(..\)\(..\)$/\1:\2:\3/' >"$work/times"
cut -d' ' -f1 "$work/out" >"$work/printed"
check "one line per version, in time order" cmp -s "$work/times" "$work/printed"
check "the first line names the files of its version" \
    grep -qx '09:00:00 De-05010101.jra Uo-05010101.jra Zo-05010101.jra' "$work/out"

names=$(find "$day/versions" -type f -exec basename {} \; | sort -u)
for name in $names; do
    last=$(find "$day/versions" -name "$name" | sort | tail -n 1)
    check "$name ends as its last version" cmp -s "$last" "$work/pat/$name"
done
check "nothing but the race files is left, no temporary name" \
    test "$(find "$work/pat" -mindepth 1 -exec basename {} \; | sort)" = "$names"
check "a result file arrives after the close" test -f "$work/pat/Ks-0005010101.jra"
check "the odds file was replaced by a new file" test "$(stat -c %i "$work/pat/Zo-05010101.jra")" != "$old_inode"
check "the old file was never written to" cmp -s "$work/old-link" "$work/old-copy"

mkdir "$work/quick"
check "--speed=0 replays without waits to the same end" "$replay" "$day" "$work/quick" --speed=0 >/dev/null
check "both replays end alike" diff -r "$work/pat" "$work/quick"

# Refusals: a clear message, the given status, nothing written.
mkdir "$work/empty"
mkdir -p "$work/bad/versions/9am"
refuses() {
    status=$1
    message=$2
    shift 2
    got=0
    "$replay" "$@" >/dev/null 2>"$work/err" || got=$?
    check "$* exits with $status" test "$got" -eq "$status"
    check "$* says \"$message\"" grep -q -e "$message" "$work/err"
    check "$* writes nothing" test -z "$(find "$work/empty" -mindepth 1)"
}
refuses 1 "is not a race day: it has no versions/ folder" "$work/pat" "$work/empty"
refuses 1 "must be the time HHMMSS" "$work/bad" "$work/empty"
refuses 1 "no race day folder" "$work/missing" "$work/empty"
refuses 1 "no folder .*missing to replay into" "$day" "$work/missing"
refuses 1 "takes a number of 0 or more" "$day" "$work/empty" --speed fast
refuses 2 "usage" "$day"
refuses 2 "usage" "$day" "$work/empty" --speed

if [ "$failures" -gt 0 ]; then
    echo "$failures checks failed" >&2
    exit 1
fi
echo "replay: all checks passed"
