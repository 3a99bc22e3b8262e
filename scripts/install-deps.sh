#!/bin/sh
# Installs what building, running and testing Velmora needs on Debian 12.
# Run as root (or through sudo); packages already present are left alone.
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
desktop-file-utils appstream
"

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
