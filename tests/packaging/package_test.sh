#!/bin/sh
# Builds the Debian package from a build folder into a scratch folder and
# checks what a user installs: the files and their places, the dependencies,
# that the packaged program runs, that both programs are hardened, and that
# lintian finds no error or warning.
#
# usage: package_test.sh BUILD_DIR VERSION
set -eu
build_dir="$1"
version="$2"

fail() { echo "package: $*" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
deb="$scratch/velmora_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); cpack made: $(ls "$scratch")"

dpkg-deb -c "$deb" | awk '{ print $6 ($7 == "->" ? " -> " $8 : "") }' | sed 's|^\./|/|' \
    >"$scratch/contents"
for entry in /usr/lib/velmora/velmora /usr/lib/velmora/velmora-cli /usr/lib/velmora/Remarks.txt \
             "/usr/bin/velmora -> ../lib/velmora/velmora" \
             "/usr/bin/velmora-cli -> ../lib/velmora/velmora-cli" \
             /usr/share/applications/velmora.desktop \
             /usr/share/icons/hicolor/48x48/apps/velmora.png \
             /usr/share/icons/hicolor/scalable/apps/velmora.svg \
             /usr/share/metainfo/org.example.velmora.metainfo.xml \
             /usr/share/man/man1/velmora-cli.1.gz /usr/share/man/man1/velmora.1.gz \
             /usr/share/doc/velmora/copyright /usr/share/doc/velmora/changelog.gz; do
    grep -qxF "$entry" "$scratch/contents" || fail "the package lacks $entry"
done

depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libqt6widgets6 libqt6charts6 libsqlite3-0 zlib1g fonts-noto-cjk qt6-translations-l10n; do
    printf '%s\n' "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -qxF "$package" ||
        fail "Depends lacks $package: $depends"
done

# The stripped program as packaged still runs and knows its version.
dpkg-deb -x "$deb" "$scratch/root"
reported=$("$scratch/root/usr/lib/velmora/velmora-cli" --version)
[ "$reported" = "velmora-cli $version" ] || fail "packaged velmora-cli --version says '$reported'"

# The packaged programs carry Debian's hardening. Control flow protection is
# not asked for: Debian 12's start files carry no IBT/SHSTK note, so no
# program linked here can. Where a program's code gives hardening-check
# nothing to judge by (no fortifiable call, no large stack frame) it says
# "unknown" and passes; hardening_test.sh proves those flags on a probe.
hardening-check --nocfprotection "$scratch/root/usr/lib/velmora/velmora" \
    "$scratch/root/usr/lib/velmora/velmora-cli" >"$scratch/hardening.log" 2>&1 ||
    { cat "$scratch/hardening.log" >&2; fail "hardening-check finds a program unhardened"; }
cat "$scratch/hardening.log"

# Lintian's errors and warnings fail the test, and so do the hardening and
# stripping tags it reports only as information; the other information tags
# are shown for the record.
lintian --display-info --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1 || true
cat "$scratch/lintian.log"
if grep -q '^[EW]: ' "$scratch/lintian.log"; then
    fail "lintian reports errors or warnings"
fi
if grep -qE '^.: [^ ]+: (hardening-[a-z-]+|binary-has-unneeded-section) ' "$scratch/lintian.log"; then
    fail "lintian finds the programs unhardened or not fully stripped"
fi
echo "package ok: $(basename "$deb")"
