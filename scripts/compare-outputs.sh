#!/bin/sh
# Runs every velmora-cli command with two builds and diffs what they write:
# calc on hand-typed races made from the sample descriptions, the built-in
# samples, load and result on every race, list and backtest in every format,
# over samples/pat and over a generated folder of 2,000 races. Standard
# output, standard error and the exit status of each run are compared.
#
#   scripts/compare-outputs.sh [BEFORE [AFTER]]
#
# BEFORE is a git revision, built in a scratch folder (default: the merge-base
# of HEAD and main), or a folder holding a velmora-cli to use as it is.
# AFTER is a folder holding velmora-cli and velmora-patfixture (default: the
# ci build of this tree, brought up to date). Exit status 0 when the outputs
# are the same, 1 when they differ (the diff is printed), 2 on a setup error.
#
# Every race of the generated folder is in the back-test's output; load and
# result, one process per race, take every RACE_STEP-th of its races (default
# 20; 1 takes all 2,000, which is slow). Set KEEP_OUTPUTS=1 to keep the
# scratch folder with both sets of outputs.
set -eu
cd "$(dirname "$0")/.."
repo="$(pwd)"

fail() {
    echo "compare-outputs: $*" >&2
    exit 2
}

work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-compare-XXXXXX")"
cleanup() { # shellcheck disable=SC2317 # called by the trap
    if [ "${KEEP_OUTPUTS:-0}" = 1 ]; then
        echo "compare-outputs: outputs kept in $work" >&2
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 2' INT TERM

# A folder holding velmora-cli for BEFORE: as given, or built from a revision.
before_bin() {
    spec="$1"
    if [ -d "$spec" ]; then
        [ -x "$spec/velmora-cli" ] || fail "no velmora-cli in $spec"
        (cd "$spec" && pwd)
        return
    fi
    rev="$(git rev-parse --verify --quiet "$spec^{commit}")" || fail "no folder or revision $spec"
    src="$work/before-src"
    mkdir -p "$src"
    git archive "$rev" | tar -x -C "$src"
    echo "compare-outputs: building velmora-cli of $rev" >&2
    cmake -S "$src" -B "$src/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_GUI=OFF \
        -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF >"$work/before-build.log" 2>&1 ||
        fail "configuring $rev failed (see $work/before-build.log)"
    cmake --build "$src/build" --target velmora-cli >>"$work/before-build.log" 2>&1 ||
        fail "building $rev failed (see $work/before-build.log)"
    echo "$src/build/bin"
}

after_bin() {
    if [ -n "${1:-}" ]; then
        if [ ! -x "$1/velmora-cli" ] || [ ! -x "$1/velmora-patfixture" ]; then
            fail "no velmora-cli and velmora-patfixture in $1"
        fi
        (cd "$1" && pwd)
        return
    fi
    [ -f build/ci/build.ninja ] || cmake --preset ci >"$work/after-build.log" 2>&1 ||
        fail "configuring this tree failed (see $work/after-build.log)"
    cmake --build --preset ci --target velmora-cli velmora-patfixture >>"$work/after-build.log" 2>&1 ||
        fail "building this tree failed (see $work/after-build.log)"
    echo "$repo/build/ci/bin"
}

# Descriptions of COUNT races for velmora-patfixture, the same on every run:
# ten courses, 7 to 18 runners, scratched runners, results that follow the
# odds and results that don't, and some races without their result, quinella
# odds or entry file.
write_descriptions() {
    awk -v count="$1" -v dir="$2" 'BEGIN {
        split("札幌 函館 福島 新潟 東京 中山 中京 京都 阪神 小倉", courses, " ")
        seed = 20261207
        for (i = 0; i < count; ++i) {
            file = sprintf("%s/race-%04d.txt", dir, i)
            c = int(i / 480) % 10
            printf "course-code: %02d\ncourse: %s\n", c + 1, courses[c + 1] > file
            printf "meeting: %d\nday: %d\nrace: %d\n", int(i / 96) % 5 + 1, int(i / 12) % 8 + 1, i % 12 + 1 > file
            printf "name: ﾃｽﾄﾚｰｽ%d\n", i > file
            seed = (seed * 16807) % 2147483647
            runners = 7 + seed % 12
            scratched = (i % 17 == 0) ? 1 + i % runners : 0
            for (r = 1; r <= runners; ++r) {
                seed = (seed * 16807) % 2147483647
                if (r == scratched) {
                    print "runner: ﾄﾘｹｼ" > file
                } else {
                    printf "runner: %.1f\n", 1.2 + (seed % 14880) / 100 > file
                }
            }
            if (i % 3 != 0) {
                # Three different starters, in an order of chance.
                split("", placed)
                order = ""
                for (n = 0; n < 3;) {
                    seed = (seed * 16807) % 2147483647
                    r = 1 + seed % runners
                    if (r != scratched && !(r in placed)) {
                        placed[r] = 1
                        order = order " " r
                        ++n
                    }
                }
                print "result:" order > file
            }
            if (i % 50 == 0) {
                print "files: Zo Uo De" > file
            } else if (i % 37 == 0) {
                print "files: Zo De Ks" > file
            } else if (i % 61 == 0) {
                print "files: Zo Uo Ks" > file
            }
            close(file)
        }
    }'
}

# Hand-typed races for calc, one per sample description: the win odds as
# written, a place range made from them, the horse name.
write_calc_inputs() {
    for description in samples/descriptions/*.txt; do
        awk '/^runner:/ {
            win = $2
            name = (NF >= 3) ? $3 : ""
            if (win + 0 > 0) {
                low = 1 + (win - 1) / 5
                printf "%s\t%.1f\t%.1f\t%s\n", win, low, low * 1.5, name
            } else {
                printf "%s\t%s\t%s\t%s\n", win, win, win, name
            }
        }' "$description" >"$1/$(basename "$description" .txt).tsv"
    done
}

# Runs one command, appending its arguments, output, errors and exit status.
record() {
    log="$1"
    shift
    {
        echo "== $*"
        status=0
        "$cli" "$@" >"$work/out" 2>"$work/err" </dev/null || status=$?
        cat "$work/out"
        echo "-- stderr"
        cat "$work/err"
        echo "-- exit $status"
    } >>"$log"
}

# Every command of one build, into the folder $1.
run_all() {
    out="$1"
    mkdir -p "$out"
    for json in "" --json; do
        for k in 1 2 3; do
            record "$out/sample" sample $json "$k"
        done
        for input in "$work/calc"/*.tsv; do
            record "$out/calc" calc $json "$input"
        done
        record "$out/calc" calc $json --runners 12 "$work/calc/nakayama-20261206-12.tsv"
        {
            echo "== calc $json - (stdin)"
            status=0
            "$cli" calc $json - <"$work/calc/hanshin-20261205-11.tsv" >"$work/out" 2>"$work/err" || status=$?
            cat "$work/out" "$work/err"
            echo "-- exit $status"
        } >>"$out/calc"
    done
    for folder in "$samples" "$generated"; do
        name="$(basename "$folder")"
        for format in "" --json; do
            record "$out/list-$name" list $format "$folder"
        done
        for format in "" --json --csv; do
            record "$out/backtest-$name" backtest $format "$folder"
        done
        step=1
        [ "$folder" = "$generated" ] && step="${RACE_STEP:-20}"
        k=0
        for race in "$folder"/Zo-*.jra; do
            if [ $((k % step)) -eq 0 ]; then
                for command in load result; do
                    record "$out/$command-$name" "$command" "$race"
                    record "$out/$command-$name" "$command" --json "$race"
                done
            fi
            k=$((k + 1))
        done
    done
    for args in "" "--help" "nosuch" "load" "list --bogus"; do
        # shellcheck disable=SC2086 # the arguments are meant to split
        record "$out/usage" $args
    done
}

before="$(before_bin "${1:-$(git merge-base HEAD main)}")"
after="$(after_bin "${2:-}")"

# Neither build sees the user's settings, and both see the same.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config"
mkdir -p "$HOME" "$XDG_CONFIG_HOME"

samples="$work/pat"
cp -R samples/pat "$samples"
generated="$work/pat2000"
mkdir -p "$work/descriptions" "$work/calc"
write_descriptions 2000 "$work/descriptions"
"$after/velmora-patfixture" "$generated" "$work/descriptions"/*.txt >/dev/null ||
    fail "velmora-patfixture could not write the generated folder"
write_calc_inputs "$work/calc"

# The remark after a calculation is drawn at random from Remarks.txt beside
# the program: each build runs from a copy beside a file of one remark, so
# that the draw is the same and the remark still shows.
install_cli() {
    mkdir -p "$2"
    cp "$1/velmora-cli" "$2/"
    printf '[Remarks]\r\nNum=1\r\nRemark1=今日の一言です。\r\n' | iconv -f UTF-8 -t CP932 >"$2/Remarks.txt"
    echo "$2/velmora-cli"
}

echo "compare-outputs: before $before/velmora-cli, after $after/velmora-cli" >&2
cli="$(install_cli "$before" "$work/before-bin")"
run_all "$work/before"
cli="$(install_cli "$after" "$work/after-bin")"
run_all "$work/after"

runs="$(grep -c '^== ' "$work"/after/* | awk -F: '{ n += $2 } END { print n }')"
if diff -r "$work/before" "$work/after"; then
    echo "compare-outputs: no difference in $runs runs" >&2
    exit 0
fi
echo "compare-outputs: the outputs differ" >&2
exit 1
