#!/bin/sh
# Installs what building, running, testing and packaging Velmora needs on
# Debian 12. Run as root (or through sudo); packages already present are left
# alone. `install-deps.sh --list` only prints the list.
#
# The install runs without Recommends, so every package a step needs must be
# here or be reached from here through Depends; the dependency_list test
# checks that.
set -eu

PACKAGES="
cmake ninja-build g++ pkg-config git clang-format
qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libgl-dev
fonts-noto-cjk
libgtest-dev libgmock-dev libbenchmark-dev
clang libclang-rt-14-dev
xvfb xauth openbox xdotool x11-utils
qt6-translations-l10n
nlohmann-json3-dev
libsqlite3-dev zlib1g-dev
desktop-file-utils appstream
dpkg-dev file lintian devscripts
"

if [ "${1:-}" = "--list" ]; then
    printf '%s\n' $PACKAGES
    exit 0
fi

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

if [ -n "$missing" ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    echo "Installing:$missing"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
