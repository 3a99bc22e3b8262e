#!/bin/sh
# Proves that scripts/install-deps.sh installs everything this build and its
# tests use: every package configuration CMake found (the *_DIR entries of the
# cache), every program CMake found, and the programs the scripts and tests
# run must belong to a package that is in the list or that the list pulls in
# through Depends or Pre-Depends. Recommends do not count: the install skips
# them.
#
# usage: dependency_list_test.sh CMAKE_CACHE INSTALL_DEPS [PROGRAM...]
set -eu

cache="$1"
install_deps="$2"
shift 2

fail() { echo "dependency list: $*" >&2; exit 1; }
[ -r "$cache" ] || fail "cannot read the CMake cache $cache"
if ! command -v dpkg >/dev/null || ! command -v apt-cache >/dev/null; then
    fail "needs dpkg and apt-cache (a Debian system)"
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The listed packages and everything they reach through Depends/Pre-Depends,
# one name a line. --important leaves out Recommends and Suggests; virtual
# packages (<name>) stand in the output beside the packages providing them.
sh "$install_deps" --list >"$scratch/listed"
[ -s "$scratch/listed" ] || fail "$install_deps --list printed no packages"
# shellcheck disable=SC2046
apt-cache depends --recurse --important $(cat "$scratch/listed") \
    >"$scratch/depends" 2>"$scratch/apt-errors" ||
    fail "apt-cache cannot resolve the list (run apt-get update?): $(cat "$scratch/apt-errors")"
# Essential packages are on every Debian system, minbase included.
dpkg-query -W -f='${Package} ${Essential}\n' | awk '$2 == "yes" { print $1 }' \
    >"$scratch/essential"
awk '
    /^[^ ]/          { name = $1 }
    /^ +[^ ]+$/      { name = $1 }
    /Depends: /      { name = $NF }
    { gsub(/[<>]/, "", name); sub(/:.*/, "", name); if (name != "") print name }
' "$scratch/depends" | cat - "$scratch/essential" | sort -u >"$scratch/reachable"

# needed: one "path<TAB>what needs it" a line.
: >"$scratch/needed"
need() { printf '%s\t%s\n' "$1" "$2" >>"$scratch/needed"; }

# Package configurations: a *_DIR entry whose folder holds the package's
# config file. Include folders (also *_DIR) hold none and are skipped.
sed -n 's/^\([A-Za-z0-9_]*\)_DIR:PATH=\(\/.*\)$/\1 \2/p' "$cache" |
    while read -r name dir; do
        lower=$(printf '%s' "$name" | tr '[:upper:]' '[:lower:]')
        for config in "$dir/${name}Config.cmake" "$dir/${lower}-config.cmake"; do
            if [ -f "$config" ]; then
                need "$config" "${name}_DIR"
                break
            fi
        done
    done >/dev/null

# Programs CMake found (compiler, linker tools, generator, validators).
sed -n 's/^\([A-Za-z0-9_]*\):FILEPATH=\(\/.*\)$/\1 \2/p' "$cache" |
    while read -r name path; do
        case "$path" in *.so | *.so.* | *.a) continue ;; esac
        [ -f "$path" ] && [ -x "$path" ] && need "$path" "$name"
    done

missing_programs=""
for program in "$@"; do
    if path=$(command -v "$program"); then
        need "$path" "program $program"
    else
        missing_programs="$missing_programs $program"
    fi
done

# The owners of a file as dpkg knows it: the path itself, the file a symbolic
# link (an alternative) leads to, and for /usr the path from before the merge
# of /usr, under which some packages still ship (/bin/gzip). One dpkg call for
# all of them: each call reads the whole package database.
candidates() {
    real=$(readlink -f "$1")
    printf '%s\n' "$1" "$real" "/${real#/usr/}"
}
cut -f1 "$scratch/needed" | while read -r path; do candidates "$path"; done |
    sort -u >"$scratch/candidates"
# shellcheck disable=SC2046
dpkg -S $(cat "$scratch/candidates") 2>/dev/null | grep -v '^diversion' |
    sed -n 's/^\(.*\): \(\/.*\)$/\2\t\1/p' >"$scratch/owned" || true

owners_of() {
    for candidate in $(candidates "$1"); do
        owners=$(awk -F '\t' -v path="$candidate" '$1 == path { print $2 }' "$scratch/owned" |
            tr ',' '\n' | sed 's/^ *//; s/:.*//' | sort -u)
        if [ -n "$owners" ]; then
            printf '%s\n' "$owners"
            return
        fi
    done
}

problems=0
while IFS="$(printf '\t')" read -r path what; do
    owners=$(owners_of "$path")
    if [ -z "$owners" ]; then
        echo "MISSING: no Debian package owns $path (needed by $what)"
        problems=$((problems + 1))
        continue
    fi
    if ! printf '%s\n' "$owners" | grep -qxF -f "$scratch/reachable"; then
        echo "MISSING: $(printf '%s\n' "$owners" | paste -sd,) (owns $path, needed by $what)" \
            "is neither in $install_deps nor a Depends of a package there"
        problems=$((problems + 1))
    fi
done <"$scratch/needed"

for program in $missing_programs; do
    echo "MISSING: program $program is not installed; no package of the list provides it"
    problems=$((problems + 1))
done

checked=$(wc -l <"$scratch/needed")
if [ "$problems" -gt 0 ]; then
    echo "dependency list: $problems needs not covered" >&2
    exit 1
fi
echo "dependency list: all $checked package configurations and programs covered by $(wc -l <"$scratch/listed") listed packages"
