#!/usr/bin/env bash
# Installs what building tagshifter needs (Debian packages, only those
# missing) and builds it into ./build. Safe to run again.
#
#   scripts/setup.sh [TARGET]
#
# With TARGET (e.g. tagshifter), only that target is built and GoogleTest is
# not needed (a fresh build folder is configured without the tests); without
# it, everything is built, tests included.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-}

# The packages, one concern a line: add a line for a new library.
packages=(
    cmake g++ make pkg-config   # the build
    libtag1-dev                 # TagLib (on Debian 13 this pulls in libtag-dev, TagLib 2)
    libuchardet-dev             # the code-page guess (-s auto)
    zlib1g-dev                  # inflating compressed frames to check their lengths
    nlohmann-json3-dev          # --json (header-only)
)
if [ -z "$target" ]; then
    packages+=(libgtest-dev)    # the test suite
    packages+=(groff-base jq)   # the test that runs the manual page's examples
    packages+=(python3)         # the test that runs the text model's generator
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

build_dir=${BUILD_DIR:-build}
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ -z "$target" ]; then
    options+=(-DTAGSHIFTER_BUILD_TESTS=ON)
elif [ ! -f "$build_dir/CMakeCache.txt" ]; then
    # A fresh folder for one target needs no GoogleTest; one configured
    # before keeps its tests.
    options+=(-DTAGSHIFTER_BUILD_TESTS=OFF)
fi
cmake -S . -B "$build_dir" "${options[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" ${target:+--target "$target"}
