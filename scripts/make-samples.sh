#!/bin/sh
# Regenerates the sample PAT folder samples/pat/ from the race descriptions in
# samples/descriptions/, and the race day samples/raceday/versions/ from those in
# samples/raceday/descriptions/. The test suite checks that the checked-in files
# are exactly what this makes, so run it after editing a description and commit both.
#
#   scripts/make-samples.sh [path/to/velmora-patfixture]
#
# Without an argument the tool of the ci build is used (built when missing).
set -eu
cd "$(dirname "$0")/.."

tool="${1:-build/ci/bin/velmora-patfixture}"
if [ ! -x "$tool" ]; then
    if [ $# -gt 0 ]; then
        echo "make-samples: no program at $tool" >&2
        exit 1
    fi
    cmake --preset ci >/dev/null
    cmake --build --preset ci --target velmora-patfixture
fi

# Build everything into a fresh folder first, so a faulty description leaves the
# checked-in samples as they were.
staging="$(mktemp -d)"
trap 'rm -rf "$staging"' EXIT
"$tool" "$staging/pat" samples/descriptions/*.txt
"$tool" --versions "$staging/raceday" samples/raceday/descriptions/*.txt

mkdir -p samples/pat
rm -f samples/pat/Zo-* samples/pat/Uo-* samples/pat/De-* samples/pat/Ks-*
cp "$staging"/pat/* samples/pat/
echo "make-samples: $(find samples/pat -type f | wc -l) files in samples/pat"

rm -rf samples/raceday/versions
cp -R "$staging/raceday/versions" samples/raceday/
echo "make-samples: $(find samples/raceday/versions -mindepth 1 -maxdepth 1 -type d | wc -l) versions in samples/raceday"
