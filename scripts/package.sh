#!/bin/sh
# Builds the Debian package velmora_<version>_<arch>.deb from the default
# build, in build/default/. Install it with: apt install ./build/default/velmora_*.deb
set -eu
cd "$(dirname "$0")/.."
cmake --preset default
cmake --build --preset default
cpack --preset default
ls build/default/velmora_*.deb
