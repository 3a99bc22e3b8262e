#!/bin/sh
# Installs the build into a scratch prefix and checks that a Linux desktop finds
# everything, and that the remark file lies beside the real executables.
set -eu
build_dir="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null

fail() { echo "install layout: $*" >&2; exit 1; }

for file in share/applications/velmora.desktop \
            share/metainfo/org.example.velmora.metainfo.xml \
            share/icons/hicolor/scalable/apps/velmora.svg \
            share/icons/hicolor/48x48/apps/velmora.png; do
    [ -f "$prefix/$file" ] || fail "missing $file"
done

for program in velmora velmora-cli; do
    link="$prefix/bin/$program"
    [ -L "$link" ] || fail "bin/$program is not a symbolic link"
    case "$(readlink "$link")" in
        /*) fail "bin/$program points to an absolute path" ;;
    esac
    real=$(readlink -f "$link")
    [ -x "$real" ] || fail "bin/$program does not lead to an executable"
    [ -f "$(dirname "$real")/Remarks.txt" ] || fail "no Remarks.txt beside $real"
done
echo "install layout ok"
